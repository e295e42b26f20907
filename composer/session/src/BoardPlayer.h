#pragma once

#include "quillon/FileDialogs.h"
#include "quillon/MusicCode.h"
#include "quillon/PortList.h"
#include "quillon/SessionPorts.h"
#include "quillon/UploadError.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quillon {

// Plays the melody on a connected board (F6): finds the port, tells or asks the board kind
// (asked once, then remembered), and writes the player with the melody through the board's
// bootloader on a thread of its own, while a timer on the window's thread shows the progress
// and, at the end, the outcome.
class BoardPlayer {
public:
    using PortLister = std::function<std::vector<PortInfo>()>;

    BoardPlayer(TimerFactory& timers, Notice& notice, FileDialogs& dialogs);
    ~BoardPlayer();
    BoardPlayer(const BoardPlayer&) = delete;
    BoardPlayer& operator=(const BoardPlayer&) = delete;

    void setWindow(BoardProgressWindow* window) { window_ = window; }
    // Where the ports come from: the system's list unless a test names its own.
    void setPortLister(PortLister lister) { lister_ = std::move(lister); }
    // Where the kind asked for is kept from one run to the next; read at once.
    void setMemoryFile(std::filesystem::path file);

    // Starts; does nothing while an upload runs.
    void start(std::vector<MusicCode> codes);
    bool busy() const { return worker_.joinable() || asking_; }

private:
    void withPort(const PortInfo& port);
    void launch(const std::string& port, const std::string& kind);
    void poll();
    void fail(UploadError error, const std::string& detail);
    void remember(const std::string& kind);

    struct Shared {
        std::mutex mutex;
        std::u16string text;
        int percent = 0;
        bool finished = false;
        std::optional<UploadError> error;
        std::string detail;
    };

    TimerFactory& timers_;
    Notice& notice_;
    FileDialogs& dialogs_;
    BoardProgressWindow* window_ = nullptr;
    PortLister lister_;
    std::unique_ptr<OneShotTimer> pollTimer_;
    std::vector<MusicCode> codes_;
    // The kind chosen for a board whose USB ids do not tell it.
    std::string rememberedKind_;
    std::optional<std::filesystem::path> memoryFile_;
    bool kindWasAsked_ = false;
    bool asking_ = false;
    // The last upload went through the 1200-baud touch (Leonardo, Micro).
    bool touched_ = false;
    std::vector<std::u16string> rows_;
    std::vector<PortInfo> ports_;
    std::shared_ptr<Shared> shared_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

} // namespace quillon
