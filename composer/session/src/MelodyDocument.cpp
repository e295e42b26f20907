#include "MelodyDocument.h"

#include "quillon/ComposerText.h"
#include "quillon/FileCalls.h"
#include "quillon/ImportTune.h"
#include "quillon/LocalTime.h"
#include "quillon/MelodyFile.h"
#include "quillon/UserTexts.h"

#include <span>
#include <variant>

namespace quillon {

MelodyDocument::MelodyDocument(const SessionPorts& ports, MelodyKeeping keeping,
                               TextHistory& history, TextMirror& mirror, Host host)
    : files_(ports.files), notice_(ports.notice), form1_(ports.form1), history_(history),
      mirror_(mirror), host_(std::move(host)), caption_(kForm1.caption) {
    if (keeping.on) {
        std::optional<MelodyArchive> archive;
        if (keeping.folder) {
            archive.emplace(*keeping.folder);
        }
        keeper_ = std::make_unique<MelodyKeeper>(
            std::move(archive), ports.timers, ports.notice,
            KeptText{[this] { return history_.view(); },
                     [this] { return history_.takeEarliestChange(TextHistory::Reader::Keeper); }});
    }
}

MelodyDocument::~MelodyDocument() {
    try {
        flush();
    } catch (const std::exception&) {
        // The window is going: there is no one left to tell. The kept melody is as it was
        // last written, at most half a second old.
    }
}

void MelodyDocument::begin() {
    if (keeper_) {
        keeper_->begin(localTimeNow());
    }
    // A new melody has no file of its own yet: saving it will not overwrite the file of the one
    // before.
    file_.reset();
    savedText_.clear();
}

void MelodyDocument::changed() {
    if (keeper_) {
        keeper_->changed();
    }
    showCaption();
}

void MelodyDocument::flush() {
    if (keeper_) {
        keeper_->flush();
    }
}

void MelodyDocument::open() {
    files_.askOpenPath(
        userText(UserText::OpenTitle), openFileFilters(),
        file_ ? file_->parent_path() : std::filesystem::path(),
        [this, life = std::weak_ptr<int>(life_)](std::optional<std::filesystem::path> chosen) {
            if (chosen && !life.expired()) {
                host_.answered([&] { openFile(*chosen); });
            }
        });
}

void MelodyDocument::openFile(const std::filesystem::path& chosen) {
    if (bringInTune(chosen)) {
        return;
    }
    OpenedMelody opened = readMelodyFile(chosen);
    if (opened.problem) {
        warn(*opened.problem);
        return;
    }
    begin();
    file_ = chosen;
    savedText_ = std::move(opened.text);
    putText(savedText_);
}

bool MelodyDocument::bringInTune(const std::filesystem::path& path) {
    std::string bytes;
    if (readFileUpTo(path, kLargestMelodyFile, bytes) || bytes.size() > kLargestMelodyFile) {
        // Opening it as text says what is wrong with it.
        return false;
    }
    const OpenedKind kind = openedKind(path, bytes);
    if (kind == OpenedKind::Text) {
        return false;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const CandidatesResult listed = listTunes(std::span(data, bytes.size()));
    if (const ImportError* error = std::get_if<ImportError>(&listed)) {
        if (kind == OpenedKind::MaybeRtttl &&
            (*error == ImportError::NotATune || *error == ImportError::Empty)) {
            return false;
        }
        notice_.showWarning(userText(UserText::TuneNotImported),
                            std::u16string(importErrorText(*error)) + u"\n" +
                                fileDisplayName(path));
        return true;
    }
    const TuneCandidates& candidates = std::get<TuneCandidates>(listed);
    if (candidates.list.size() == 1) {
        takeTune(path, bytes, std::nullopt);
        return true;
    }
    std::vector<std::u16string> rows;
    for (std::size_t i = 0; i < candidates.list.size(); ++i) {
        rows.push_back(tuneChoiceRow(candidates.list[i], i + 1, i == candidates.defaultIndex));
    }
    const TuneQuestion question{userText(UserText::TuneChoiceTitle),
                                userText(UserText::TuneChoicePrompt),
                                rows,
                                candidates.defaultIndex,
                                userText(UserText::TakeTuneButton),
                                userText(UserText::CancelButton)};
    // The bytes go with the answer: the file may change before it comes.
    files_.askTuneChoice(question, [this, life = std::weak_ptr<int>(life_), path,
                                    kept = std::move(bytes)](std::optional<std::size_t> chosen) {
        if (chosen && !life.expired()) {
            host_.answered([&] { takeTune(path, kept, *chosen); });
        }
    });
    return true;
}

void MelodyDocument::takeTune(const std::filesystem::path& path, const std::string& bytes,
                              std::optional<std::size_t> index) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::span<const std::uint8_t> span(data, bytes.size());
    const ImportResult result = index ? importTune(span, *index) : importTune(span);
    if (const ImportError* error = std::get_if<ImportError>(&result)) {
        notice_.showWarning(userText(UserText::TuneNotImported),
                            std::u16string(importErrorText(*error)) + u"\n" +
                                fileDisplayName(path));
        return;
    }
    const ImportedTune& tune = std::get<ImportedTune>(result);
    // A new melody without a file: saving must never write C over the tune it came from.
    begin();
    host_.write(importChange(history_.view(), tune.codes));
    mirror_.placeCaret(history_.view().size());
    showCaption();
    if (!tune.report.empty()) {
        notice_.showInformation(userText(UserText::TuneChanged), importReportText(tune.report));
    }
}

MenuEntry MelodyDocument::recentMenu() const {
    const auto entry = [](std::u16string_view text, bool enabled = true) {
        MenuEntry made{};
        made.action = SessionAction::OpenRecent;
        made.text = text;
        made.enabled = enabled;
        return made;
    };
    MenuEntry recent = entry(userText(UserText::RecentMenu));
    listedRecent_.clear();
    if (keeper_) {
        for (const KeptMelody& melody : keeper_->recent()) {
            recent.submenu.push_back(entry(melody.menuText));
            recent.submenu.back().item = listedRecent_.size();
            listedRecent_.push_back(melody.path);
        }
    }
    if (recent.submenu.empty()) {
        recent.submenu.push_back(entry(userText(UserText::NoRecentMelodies), false));
    }
    return recent;
}

void MelodyDocument::openRecent(std::size_t item) {
    if (item >= listedRecent_.size()) {
        return;
    }
    const OpenedMelody opened = readMelodyFile(listedRecent_[item]);
    if (opened.problem) {
        warn(*opened.problem);
        return;
    }
    putText(opened.text);
}

void MelodyDocument::save(bool askForName, std::function<void(bool saved)> done) {
    if (!askForName && file_) {
        const bool saved = saveTo(*file_);
        if (done) {
            done(saved);
        }
        return;
    }
    files_.askSavePath(userText(UserText::SaveAsTitle), melodyFileFilters(),
                       file_.value_or(std::filesystem::path()),
                       [this, life = std::weak_ptr<int>(life_),
                        done = std::move(done)](std::optional<std::filesystem::path> target) {
                           if (life.expired()) {
                               return;
                           }
                           // The text as it is when the user has chosen the file is what is
                           // saved.
                           host_.answered([&] {
                               const bool saved = target && saveTo(*target);
                               if (done) {
                                   done(saved);
                               }
                           });
                       });
}

bool MelodyDocument::saveTo(const std::filesystem::path& target) {
    std::u16string text = history_.text();
    if (const std::optional<FileProblem> problem = writeMelodyFile(target, text)) {
        warn(*problem);
        return false;
    }
    file_ = target;
    savedText_ = std::move(text);
    showCaption();
    return true;
}

void MelodyDocument::queryUnload(const std::function<void(bool mayClose)>& answer) {
    if (closeAsked_) {
        return;
    }
    flush();
    // A melody without a file is kept anyway.
    if (!file_ || history_.view() == savedText_) {
        answer(true);
        return;
    }
    const std::u16string question = saveChangesQuestion(fileDisplayName(*file_));
    closeAsked_ = true;
    const auto chosen = [this, life = std::weak_ptr<int>(life_), answer](CloseAnswer reply) {
        if (life.expired()) {
            return;
        }
        closeAsked_ = false;
        host_.answered([&] {
            switch (reply) {
            case CloseAnswer::Save:
                try {
                    // The window closes only once the file is written.
                    save(false, answer);
                } catch (...) {
                    // Whatever failed, the window may close: the melody is kept.
                    answer(true);
                    throw;
                }
                return;
            case CloseAnswer::DontSave:
                answer(true);
                return;
            case CloseAnswer::Cancel:
                answer(false);
                return;
            }
        });
    };
    try {
        files_.askSaveChanges({question, userText(UserText::SaveButton),
                               userText(UserText::DontSaveButton),
                               userText(UserText::CancelButton)},
                              chosen);
    } catch (...) {
        closeAsked_ = false;
        throw;
    }
}

void MelodyDocument::openAsNew(std::u16string_view text) {
    begin();
    putText(text);
    showCaption();
}

void MelodyDocument::putText(std::u16string_view text) {
    host_.write(changeBetween(history_.view(), text));
    mirror_.placeCaret(history_.view().size());
}

void MelodyDocument::showCaption() {
    std::u16string caption = windowCaption(file_, file_ && history_.view() != savedText_);
    if (caption != caption_) {
        caption_ = std::move(caption);
        form1_.setCaption(caption_);
    }
}

void MelodyDocument::warn(const FileProblem& problem) {
    notice_.showWarning(fileProblemText(problem.kind), problemDetail(problem));
}

} // namespace quillon
