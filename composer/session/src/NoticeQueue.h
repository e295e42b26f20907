#pragma once

#include "quillon/SessionPorts.h"

#include <deque>
#include <string>

namespace quillon {

// What the session tells the user, held until the call that raised it has returned: a message
// box runs a loop of its own, in which timers and the user's clicks would come back into a
// session half way through a step. Every window gets its notices the same way.
class NoticeQueue final : public Notice {
public:
    explicit NoticeQueue(Notice& window) : window_(window) {}

    void showWarning(std::u16string_view text, std::u16string_view detail) override;
    void showInformation(std::u16string_view text, std::u16string_view detail) override;
    // Asked for by a click, and shown at once: it tells nothing that a step found.
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override;

    // Hands the waiting notices to the window, oldest first. One shown while another box is
    // open (from that box's own loop) waits its turn in the same pass.
    void flush();

private:
    struct Pending {
        bool warning = true;
        std::u16string text;
        std::u16string detail;
    };

    Notice& window_;
    std::deque<Pending> pending_;
    bool flushing_ = false;
};

} // namespace quillon
