#include "quillon/MelodyKeeper.h"

#include "quillon/UserTexts.h"

namespace quillon {

MelodyKeeper::MelodyKeeper(std::optional<MelodyArchive> archive, TimerFactory& timers,
                           Notice& notice, KeptText text)
    : archive_(std::move(archive)), notice_(notice), text_(std::move(text)),
      timer_(timers.makeTimer([this] { write(); })) {}

MelodyKeeper::~MelodyKeeper() = default;

void MelodyKeeper::begin(const LocalTime& began) {
    flush();
    began_ = began;
    file_.reset();
    upToDate_ = false;
    pending_ = false;
}

void MelodyKeeper::changed() {
    pending_ = true;
    // Not started again while it runs: a steady stream of changes is still written in time.
    if (!timer_->active()) {
        timer_->start(kWriteDelay);
    }
}

void MelodyKeeper::flush() {
    if (pending_) {
        write();
    }
}

std::vector<KeptMelody> MelodyKeeper::recent() const {
    if (!archive_) {
        return {};
    }
    return archive_->newest(MelodyArchive::kRecentInMenu, file_.value_or(std::filesystem::path()));
}

void MelodyKeeper::write() {
    timer_->stop();
    pending_ = false;
    const std::u16string_view text = text_.view();
    const bool differs = encoded_.update(text, text_.takeEarliestChange());
    if (!differs && upToDate_) {
        return;
    }
    if (isEmptyMelody(text)) {
        if (file_ && archive_) {
            archive_->remove(*file_);
        }
        file_.reset();
        upToDate_ = true;
        return;
    }
    upToDate_ = false;
    if (!archive_) {
        pending_ = true;
        report({FileProblemKind::CannotWrite,
                {},
                std::make_error_code(std::errc::no_such_file_or_directory)});
        return;
    }
    const bool first = !file_;
    const std::filesystem::path file = first ? archive_->freePath(began_) : *file_;
    if (const std::optional<FileProblem> problem = archive_->writeEncoded(file, encoded_.bytes())) {
        pending_ = true;
        report(*problem);
        return;
    }
    file_ = file;
    upToDate_ = true;
    if (first) {
        archive_->prune(MelodyArchive::kKept, file);
    }
}

void MelodyKeeper::report(const FileProblem& problem) {
    if (reported_) {
        return;
    }
    // Before showing: the message box runs the event loop, which may bring another write.
    reported_ = true;
    notice_.showWarning(userText(UserText::MelodiesNotKept), problemDetail(problem));
}

} // namespace quillon
