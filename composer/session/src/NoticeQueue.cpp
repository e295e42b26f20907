#include "NoticeQueue.h"

namespace quillon {

void NoticeQueue::showWarning(std::u16string_view text, std::u16string_view detail) {
    pending_.push_back({true, std::u16string(text), std::u16string(detail)});
}

void NoticeQueue::showInformation(std::u16string_view text, std::u16string_view detail) {
    pending_.push_back({false, std::u16string(text), std::u16string(detail)});
}

void NoticeQueue::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    window_.showAbout(applicationText, extraText);
}

void NoticeQueue::flush() {
    if (flushing_) {
        return;
    }
    flushing_ = true;
    try {
        while (!pending_.empty()) {
            const Pending next = std::move(pending_.front());
            pending_.pop_front();
            if (next.warning) {
                window_.showWarning(next.text, next.detail);
            } else {
                window_.showInformation(next.text, next.detail);
            }
        }
    } catch (...) {
        // What is left is shown after the next call.
        flushing_ = false;
        throw;
    }
    flushing_ = false;
}

} // namespace quillon
