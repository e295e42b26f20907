#include "BoardPlayer.h"

#include "quillon/TextCodec.h"
#include "quillon/UserTexts.h"

#ifdef QUILLON_BOARD_UPLOAD
#include "quillon/BoardKind.h"
#include "quillon/Upload.h"
#endif

#include <chrono>
#include <fstream>

namespace quillon {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 50ms;

} // namespace

BoardPlayer::BoardPlayer(TimerFactory& timers, Notice& notice, FileDialogs& dialogs)
    : timers_(timers), notice_(notice), dialogs_(dialogs) {
#ifdef QUILLON_BOARD_UPLOAD
    lister_ = [] { return listPorts(); };
#endif
    pollTimer_ = timers_.makeTimer([this] { poll(); });
}

BoardPlayer::~BoardPlayer() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void BoardPlayer::setMemoryFile(std::filesystem::path file) {
    memoryFile_ = std::move(file);
    std::ifstream in(*memoryFile_);
    std::string kind;
    std::getline(in, kind);
#ifdef QUILLON_BOARD_UPLOAD
    if (findBoardKind(kind) != nullptr) {
        rememberedKind_ = kind;
    }
#endif
}

void BoardPlayer::remember(const std::string& kind) {
    rememberedKind_ = kind;
    if (!memoryFile_) {
        return;
    }
    // Not kept is asked again next time: nothing to tell.
    std::error_code error;
    if (kind.empty()) {
        std::filesystem::remove(*memoryFile_, error);
        return;
    }
    std::filesystem::create_directories(memoryFile_->parent_path(), error);
    std::ofstream out(*memoryFile_, std::ios::trunc);
    out << kind << '\n';
}

void BoardPlayer::fail(UploadError error, const std::string& detail) {
    const std::u16string_view why = error == UploadError::NoAnswer && touched_
                                        ? userText(UserText::BoardResetFirst)
                                        : uploadErrorText(error);
    notice_.showWarning(userText(UserText::BoardFailed),
                        std::u16string(why) +
                            (detail.empty() ? u"" : u"\n" + decodeUtf8Lenient(detail)));
}

void BoardPlayer::start(std::vector<MusicCode> codes) {
#ifndef QUILLON_BOARD_UPLOAD
    (void)codes;
    notice_.showWarning(userText(UserText::BoardNotOnThisSystem), u"");
#else
    if (busy()) {
        return;
    }
    if (codes.empty()) {
        fail(UploadError::MelodyEmpty, "");
        return;
    }
    codes_ = std::move(codes);
    ports_ = lister_ ? lister_() : std::vector<PortInfo>{};
    if (ports_.empty()) {
        fail(UploadError::NoBoardFound, "");
        return;
    }
    if (ports_.size() == 1) {
        withPort(ports_.front());
        return;
    }
    rows_.clear();
    for (const PortInfo& port : ports_) {
        std::u16string row = decodeUtf8Lenient(port.path);
        if (!port.boardName.empty()) {
            row += u"　" + boardKindText(port.boardName);
        } else if (!port.product.empty()) {
            row += u"　" + decodeUtf8Lenient(port.product);
        }
        rows_.push_back(std::move(row));
    }
    asking_ = true;
    dialogs_.askTuneChoice({userText(UserText::BoardTitle), userText(UserText::BoardPortPrompt),
                            rows_, 0, userText(UserText::BoardTakeButton),
                            userText(UserText::CancelButton)},
                           [this](std::optional<std::size_t> chosen) {
                               asking_ = false;
                               if (chosen && *chosen < ports_.size()) {
                                   withPort(ports_[*chosen]);
                               }
                           });
#endif
}

void BoardPlayer::withPort(const PortInfo& port) {
#ifdef QUILLON_BOARD_UPLOAD
    if (!port.boardName.empty()) {
        kindWasAsked_ = false;
        launch(port.path, port.boardName);
        return;
    }
    if (!rememberedKind_.empty()) {
        kindWasAsked_ = true;
        launch(port.path, rememberedKind_);
        return;
    }
    rows_.clear();
    for (const BoardKind& kind : boardKinds()) {
        rows_.push_back(boardKindText(kind.name));
    }
    asking_ = true;
    dialogs_.askTuneChoice({userText(UserText::BoardTitle), userText(UserText::BoardKindPrompt),
                            rows_, 0, userText(UserText::BoardTakeButton),
                            userText(UserText::CancelButton)},
                           [this, path = port.path](std::optional<std::size_t> chosen) {
                               asking_ = false;
                               if (chosen && *chosen < boardKinds().size()) {
                                   remember(std::string(boardKinds()[*chosen].name));
                                   kindWasAsked_ = true;
                                   launch(path, rememberedKind_);
                               }
                           });
#else
    (void)port;
#endif
}

void BoardPlayer::launch(const std::string& port, const std::string& kind) {
#ifdef QUILLON_BOARD_UPLOAD
    const BoardKind* board = findBoardKind(kind);
    if (board == nullptr) {
        return;
    }
    cancel_ = false;
    touched_ = board->protocol == BootProtocol::Avr109;
    shared_ = std::make_shared<Shared>();
    shared_->text = userText(UserText::BoardConnecting);
    if (window_ != nullptr) {
        window_->showProgress(userText(UserText::BoardTitle), [this] { cancel_ = true; });
        window_->setProgress(shared_->text, 0);
    }
    // The thread has its own copies: the session may change the melody meanwhile.
    worker_ = std::thread([shared = shared_, port, board, codes = codes_, cancel = &cancel_] {
        UploadRequest request;
        request.port = port;
        request.board = board;
        request.codes = codes;
        request.cancel = cancel;
        request.progress = [&shared](UploadPhase phase, std::size_t done, std::size_t total) {
            const std::scoped_lock lock(shared->mutex);
            const int share = total == 0 ? 0 : static_cast<int>(done * 50 / total);
            switch (phase) {
            case UploadPhase::Connecting:
                shared->text = userText(UserText::BoardConnecting);
                shared->percent = 0;
                break;
            case UploadPhase::Writing:
                shared->text = userText(UserText::BoardWriting);
                shared->percent = share;
                break;
            case UploadPhase::Verifying:
                shared->text = userText(UserText::BoardVerifying);
                shared->percent = 50 + share;
                break;
            case UploadPhase::Done:
                shared->percent = 100;
                break;
            }
        };
        std::optional<UploadError> error;
        std::string detail;
        try {
            upload(request);
        } catch (const UploadFailure& failure) {
            error = failure.kind();
            detail = failure.what();
        } catch (const std::exception& other) {
            error = UploadError::PortFailed;
            detail = other.what();
        }
        const std::scoped_lock lock(shared->mutex);
        shared->error = error;
        shared->detail = detail;
        shared->finished = true;
    });
    pollTimer_->start(kPollInterval);
#else
    (void)port;
    (void)kind;
#endif
}

void BoardPlayer::poll() {
    if (!shared_) {
        return;
    }
    std::u16string text;
    int percent = 0;
    bool finished = false;
    std::optional<UploadError> error;
    std::string detail;
    {
        const std::scoped_lock lock(shared_->mutex);
        text = shared_->text;
        percent = shared_->percent;
        finished = shared_->finished;
        error = shared_->error;
        detail = shared_->detail;
    }
    if (!finished) {
        if (window_ != nullptr) {
            window_->setProgress(text, percent);
        }
        pollTimer_->start(kPollInterval);
        return;
    }
    worker_.join();
    shared_.reset();
    if (window_ != nullptr) {
        window_->closeProgress();
    }
    if (!error) {
        notice_.showInformation(userText(UserText::BoardDone), u"");
        return;
    }
    // A kind the user chose that the board does not answer to is asked again next time.
    if (kindWasAsked_ && (*error == UploadError::NoAnswer || *error == UploadError::WrongChip ||
                          *error == UploadError::WrongAnswer)) {
        remember({});
    }
    fail(*error, *error == UploadError::Cancelled ? std::string() : detail);
}

} // namespace quillon
