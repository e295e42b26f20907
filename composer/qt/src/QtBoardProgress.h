#pragma once

#include "quillon/SessionPorts.h"

#include <functional>

class QProgressDialog;
class QWidget;

namespace quillon {

// The small window over the composer while a melody is written onto a board: what is done,
// a bar and Cancel. Modeless: the composer stays in use meanwhile.
class QtBoardProgress final : public BoardProgressWindow {
public:
    explicit QtBoardProgress(QWidget& owner) : owner_(owner) {}
    ~QtBoardProgress() override;
    QtBoardProgress(const QtBoardProgress&) = delete;
    QtBoardProgress& operator=(const QtBoardProgress&) = delete;

    void showProgress(std::u16string_view title, std::function<void()> onCancel) override;
    void setProgress(std::u16string_view text, int percent) override;
    void closeProgress() override;

private:
    QWidget& owner_;
    QProgressDialog* dialog_ = nullptr;
    std::function<void()> onCancel_;
};

} // namespace quillon
