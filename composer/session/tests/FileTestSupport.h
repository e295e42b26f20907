#pragma once

#include "quillon/SessionPorts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace quillon::test {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary one, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillon-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code error;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(path_, error);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes `folder` a place where no file can be made, even for root, who ignores permissions:
// it becomes a plain file.
inline void makeUnwritable(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder.parent_path());
    writeBytes(folder, "not a folder");
}

// Timers that fire when the test moves the clock on.
class ManualTimers : public TimerFactory {
public:
    using Clock = std::chrono::milliseconds;

    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override {
        auto timer = std::make_unique<Timer>(*this, std::move(onTimeout));
        timers_.push_back(timer.get());
        return timer;
    }

    // Moves on by `span`, firing every timer that falls due on the way, in time order.
    void advance(Clock span) {
        const Clock end = now_ + span;
        for (;;) {
            Timer* next = nullptr;
            for (Timer* timer : timers_) {
                if (timer->running && timer->due <= end && (!next || timer->due < next->due)) {
                    next = timer;
                }
            }
            if (next == nullptr) {
                break;
            }
            now_ = next->due;
            next->running = false;
            next->onTimeout();
        }
        now_ = end;
    }

    Clock now() const { return now_; }

private:
    struct Timer : OneShotTimer {
        Timer(ManualTimers& owner_, std::function<void()> onTimeout_)
            : owner(owner_), onTimeout(std::move(onTimeout_)) {}
        ~Timer() override { std::erase(owner.timers_, this); }
        void start(std::chrono::milliseconds after) override {
            running = true;
            due = owner.now_ + after;
        }
        void stop() override { running = false; }
        bool active() const override { return running; }

        ManualTimers& owner;
        std::function<void()> onTimeout;
        bool running = false;
        Clock due{};
    };

    Clock now_{};
    std::vector<Timer*> timers_;
};

struct Warning {
    std::u16string text;
    std::u16string detail;
};

class RecordingNotice : public Notice {
public:
    void showWarning(std::u16string_view text, std::u16string_view detail) override {
        warnings.push_back({std::u16string(text), std::u16string(detail)});
    }
    void showAbout(std::u16string_view, std::u16string_view) override {}

    std::vector<Warning> warnings;
};

} // namespace quillon::test
