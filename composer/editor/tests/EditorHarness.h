#pragma once

#include "FakeCaption.h"
#include "FakeTextBox.h"
#include "quillon/MusicEditor.h"

#include <string>

namespace quillon::test {

inline const std::u16string kHeaderLine = u"const unsigned char music_item[] = {\r\n";

// The editor wired to a fake text box and label, in the state that start-up leaves.
struct EditorHarness {
    FakeTextBox text1;
    FakeCaption label3;
    MusicEditor editor{text1, label3};

    EditorHarness() {
        text1.onChange = [this] { editor.Text1_Change(); };
        text1.onHistoryMoved = [this] { editor.Text1_HistoryMoved(); };
        editor.ResetMusicText();
        editor.StartHistory();
    }

    int changes() const { return editor.counter().ChangeCount; }
    int breaks() const { return editor.counter().BreakCount; }
};

} // namespace quillon::test
