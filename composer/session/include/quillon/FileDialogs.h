#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

// One entry of a file dialog's type list: "C 源文件 (*.h *.c)" shows files matching "*.h *.c".
struct FileFilter {
    std::u16string_view label;
    // Space-separated; a Windows dialog takes them joined by ";".
    std::u16string_view patterns;
};

// The melody dialogs' list, in order: C source files, then all files.
std::span<const FileFilter> melodyFileFilters();

// The Open dialog's: C source files, tunes to bring in (RTTTL, MIDI), then all files.
std::span<const FileFilter> openFileFilters();

// What Open makes of a file it is given, by the formats of one table: a tune to bring in (MIDI
// by its content or name, RTTTL by its name), a .txt that may hold RTTTL (one without a brace;
// C source with a comment may have colons as RTTTL does), or C text.
enum class OpenedKind : std::uint8_t { Text, Midi, Rtttl, MaybeRtttl };
OpenedKind openedKind(const std::filesystem::path& path, std::string_view bytes);

// What a file without an extension is given when saved.
inline constexpr std::u16string_view kDefaultSuffix = u"h";

enum class CloseAnswer : std::uint8_t { Save, DontSave, Cancel };

// The texts of the close question: the sentence and its three buttons, in order.
struct CloseQuestion {
    std::u16string_view question;
    std::u16string_view save;
    std::u16string_view dontSave;
    std::u16string_view cancel;
};

// Which of the tunes a file offers to bring in: a title, a line above the list, one row for
// each tune (its number, name, channels, notes and range, worded), the row selected at first,
// and the two buttons.
struct TuneQuestion {
    std::u16string_view title;
    std::u16string_view prompt;
    std::span<const std::u16string> rows;
    std::size_t defaultRow = 0;
    std::u16string_view take;
    std::u16string_view cancel;
};

// The row chosen, or none when the question was cancelled.
using TuneAnswer = std::function<void(std::optional<std::size_t>)>;
// The file chosen, or none when the dialog was cancelled.
using PathAnswer = std::function<void(std::optional<std::filesystem::path>)>;
using SaveChangesAnswer = std::function<void(CloseAnswer)>;

// The window's file dialogs and its question on closing: Qt's own on Linux, the common dialogs
// and a message box on Windows. All are modal over the window and come from its one thread.
// Each gives its answer through `answer`, called once, before the call returns or later from
// the window's thread, so that a window whose dialogs do not wait in a loop of their own can
// answer when the user has chosen. The texts passed last only until the call returns.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The file the user chose to open, starting in `folder`.
    virtual void askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path& folder, PathAnswer answer) = 0;

    // The file to save into, offering `suggested` (a folder and a name). The dialog asks before
    // it replaces a file, and gives a name without an extension kDefaultSuffix.
    virtual void askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path& suggested, PathAnswer answer) = 0;

    // The question before closing a melody with changes not saved. Escape and the window's
    // close button answer Cancel.
    virtual void askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) = 0;

    // The list of tunes, the default row selected: Enter (or a double click) takes the
    // selected row, Escape and the close button cancel.
    virtual void askTuneChoice(const TuneQuestion& question, TuneAnswer answer) = 0;
};

} // namespace quillon
