#pragma once

#include "Control.h"
#include "quillon/Caption.h"
#include "quillon/FormTable.h"

#include <string>

namespace quillon::win32 {

// A label of the form table: a static text in its fore colour on the window's colour. An
// auto-size label takes the size of its caption; the count (Label3) also keeps "bytes"
// (Label5) one blank to its right once it grows into it.
class Label final : public Control, public Caption {
public:
    Label(HWND parent, const ControlDesign& design);

    const ControlDesign& design() const { return design_; }
    void setCaption(std::u16string_view caption) override;

    // At its designed place at `dpi`, in `font`.
    void layout(int dpi, HFONT font);
    void keepClear(Label& neighbour) { neighbour_ = &neighbour; }

    std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void fitCaption();

    const ControlDesign& design_;
    std::u16string caption_;
    Label* neighbour_ = nullptr;
    // Where it stands now, so that an unchanged place is not set again.
    RECT placed_{};
    int dpi_ = 96;
    HFONT font_ = nullptr;
};

} // namespace quillon::win32
