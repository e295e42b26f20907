#pragma once

#include "quillon/IncrementalUtf8.h"
#include "quillon/LocalTime.h"
#include "quillon/MelodyArchive.h"
#include "quillon/SessionPorts.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Where the session keeps melodies without asking.
struct MelodyKeeping {
    bool on = false;
    // None when the environment names no data folder: the user is told once.
    std::optional<std::filesystem::path> folder;

    static MelodyKeeping inUserFolder() { return {true, MelodyArchive::userFolder()}; }
};

// What the keeper reads of Text1.
struct KeptText {
    // The whole text without a copy, valid until the next change.
    std::function<std::u16string_view()> view;
    // The first offset that any change touched since the last take; past the end when none
    // did. The keeper's own: nothing else takes it.
    std::function<std::size_t()> takeEarliestChange;
};

// Keeps the melody being composed in the archive without asking. A melody is the text from
// start-up, Clear or Open until the next of these; the session says when one begins and when
// the text changes, and the keeper writes the text kWriteDelay after the first change not yet
// written. So every change is on the disk within half a second however fast the changes come,
// and the disk is written at most twice a second. A melody that is only the array header is not
// kept (and its file goes when it becomes one again). When a write fails the composer goes on;
// the user is told once, in a warning, and the next change tries again.
//
// A write costs what changed, not the melody: the text is read in place, only the part from
// the earliest change on is encoded again and compared with what the file holds, and the file
// is replaced whole (a crash leaves the old one or the new one) only when its bytes differ.
class MelodyKeeper {
public:
    static constexpr std::chrono::milliseconds kWriteDelay{500};

    // `archive` is none when the environment names no data folder.
    MelodyKeeper(std::optional<MelodyArchive> archive, TimerFactory& timers, Notice& notice,
                 KeptText text);
    ~MelodyKeeper();
    MelodyKeeper(const MelodyKeeper&) = delete;
    MelodyKeeper& operator=(const MelodyKeeper&) = delete;

    // A new melody begins at `began`. Call it before the change that begins it: what is
    // pending of the melody before is written first, with Text1 as it is then.
    void begin(const LocalTime& began);

    // Text1 changed, by the user or by undo and redo.
    void changed();

    // Writes what is pending at once: before the window closes.
    void flush();

    // The present melody's file, once it has been written.
    const std::optional<std::filesystem::path>& file() const { return file_; }

    // The newest kept melodies for the menu, the present one left out.
    std::vector<KeptMelody> recent() const;

private:
    void write();
    void report(const FileProblem& problem);

    std::optional<MelodyArchive> archive_;
    Notice& notice_;
    KeptText text_;
    std::unique_ptr<OneShotTimer> timer_;
    LocalTime began_;
    std::optional<std::filesystem::path> file_;
    // Text1 as UTF-8, as of the last write.
    IncrementalUtf8 encoded_;
    // The file holds `encoded_` (or is rightly absent), so that undoing and redoing back to it
    // writes nothing.
    bool upToDate_ = false;
    bool pending_ = false;
    bool reported_ = false;
};

} // namespace quillon
