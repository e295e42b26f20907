#include "quillon/ComposerText.h"

#include "StringTextBox.h"
#include "quillon/Caption.h"
#include "quillon/MusicEditor.h"

namespace quillon {
namespace {

class NoCaption : public Caption {
public:
    void setCaption(std::u16string_view) override {}
};

} // namespace

ComposerState composerState(std::span<const MusicCode> codes) {
    StringTextBox text1;
    NoCaption label3;
    MusicEditor editor(text1, label3);
    text1.onChange = [&editor] { editor.Text1_Change(); };

    // Start-up, then Clear: the count starts again from the header, as in the window.
    editor.ResetMusicText();
    editor.StartHistory();
    editor.Clear();
    for (const MusicCode code : codes) {
        editor.AppendCodeItem(codeItem(code));
    }
    editor.AppendTerminator();
    return {text1.text(), editor.counter()};
}

std::u16string composerText(std::span<const MusicCode> codes) {
    return composerState(codes).text;
}

} // namespace quillon
