#pragma once

#include "quillon/SessionPorts.h"

#include <emscripten/val.h>

namespace quillon {

// Text1 on the page: a textarea, with the underlines and the heard light drawn by the page
// beside it. A textarea counts a line break as one unit, as the session's OneUnit controls do.
class WebText final : public TextControl, public TextMarks {
public:
    explicit WebText(emscripten::val face) : face_(std::move(face)) {}

    LineBreak lineBreak() const noexcept override { return LineBreak::OneUnit; }
    std::u16string controlText() const override;
    void replace(std::size_t from, std::size_t to, std::u16string_view text) override;
    std::size_t caret() const noexcept override;
    TextSpan selection() const noexcept override;
    void select(std::size_t begin, std::size_t end) noexcept override;
    void selectAll() override;

    void marksChanged(std::size_t from, std::size_t to) override;
    void setHeard(std::optional<TextSpan> element) override;

private:
    emscripten::val face_;
};

} // namespace quillon
