#pragma once

#include "quillon/ComposerSession.h"
#include "quillon/MelodyKeeper.h"
#include "quillon/TextChange.h"
#include "quillon/TextHistory.h"
#include "quillon/TextMirror.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// The melody as a document: its file and the window's caption, Open (C text, or a tune brought
// in), Save and Save As, the question before closing a melody with changes not saved, keeping
// every melody without asking, and the recent melodies of the context menu.
class MelodyDocument {
public:
    // What the document asks of the session around it.
    struct Host {
        // Writes a change into Text1 as one step that counts as one change, like a paste.
        std::function<void(const TextChange&)> write;
        // Runs what a dialog's answer sets off as a call of its own: it may come after the call
        // that asked has returned.
        std::function<void(const std::function<void()>&)> answered;
    };

    MelodyDocument(const SessionPorts& ports, MelodyKeeping keeping, TextHistory& history,
                   TextMirror& mirror, Host host);
    ~MelodyDocument();
    MelodyDocument(const MelodyDocument&) = delete;
    MelodyDocument& operator=(const MelodyDocument&) = delete;

    // A new melody begins (start-up, Clear): kept apart from the one before, with no file.
    void begin();
    // The text changed: kept within half a second, and the caption says whether it is saved.
    void changed();
    void open();
    void save(bool askForName, std::function<void(bool saved)> done = {});
    // Answers once, at once or when the user has answered the question; a second ask while the
    // question is open is not answered.
    void queryUnload(const std::function<void(bool mayClose)>& answer);
    // Writes what is not kept yet.
    void flush();

    // `text` as a new melody without a file, the one before kept apart.
    void openAsNew(std::u16string_view text);

    // The recent melodies as a submenu, remembered for openRecent.
    MenuEntry recentMenu() const;
    void openRecent(std::size_t item);

private:
    void openFile(const std::filesystem::path& chosen);
    // A tune file (MIDI, RTTTL) brought in as music codes; false when the file is to be opened
    // as text instead.
    bool bringInTune(const std::filesystem::path& path);
    // The tune at `index` of what the file's bytes offer, or the default one, as a new melody.
    void takeTune(const std::filesystem::path& path, const std::string& bytes,
                  std::optional<std::size_t> index);
    bool saveTo(const std::filesystem::path& target);
    void putText(std::u16string_view text);
    void showCaption();
    void warn(const FileProblem& problem);

    FileDialogs& files_;
    Notice& notice_;
    Caption& form1_;
    TextHistory& history_;
    TextMirror& mirror_;
    Host host_;
    std::unique_ptr<MelodyKeeper> keeper_;
    // The melody's own file, once saved or opened, and the text it holds.
    std::optional<std::filesystem::path> file_;
    std::u16string savedText_;
    std::u16string caption_;
    // The close question is open: its answer decides.
    bool closeAsked_ = false;
    // The recent melodies as the context menu last listed them.
    mutable std::vector<std::filesystem::path> listedRecent_;
    // Answers to dialogs hold a weak copy: one that comes after the document has gone is dropped.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

} // namespace quillon
