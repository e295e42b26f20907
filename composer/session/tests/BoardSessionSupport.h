#pragma once

#include "FakeWindow.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

// The progress window as the session drives it: what it showed, in order.
class FakeProgressWindow : public BoardProgressWindow {
public:
    int shown = 0;
    int closed = 0;
    std::vector<int> percents;
    std::vector<std::u16string> texts;
    std::function<void()> cancel;

    void showProgress(std::u16string_view, std::function<void()> onCancel) override {
        ++shown;
        cancel = std::move(onCancel);
    }
    void setProgress(std::u16string_view text, int percent) override {
        texts.emplace_back(text);
        percents.push_back(percent);
    }
    void closeProgress() override { ++closed; }
};

// Moves the fake clock on while the upload's thread works in real time, until the session
// tells the user something or `seconds` pass.
inline void waitForNotice(SessionHarness& h, std::size_t before, int seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (h.notice.warnings.size() == before && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        h.timers.advance(50);
    }
}

inline PortInfo portAt(std::string path, std::string board = {}) {
    PortInfo port;
    port.path = std::move(path);
    port.boardName = std::move(board);
    return port;
}

} // namespace quillon::test
