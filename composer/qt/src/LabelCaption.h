#pragma once

#include "quillon/Caption.h"

#include <QString>

#include <string_view>

class QLabel;

namespace quillon {

// A label as the editor and the clock set it. An auto-size label follows its caption: it keeps
// its top-left corner and takes the size of its new text.
//
// A label may have a neighbour on its right that keeps out of its way: when the caption grows
// wider than its designed room, the neighbour moves right to keep one blank between them, and
// goes back to its designed place when there is room again.
class LabelCaption : public Caption {
public:
    LabelCaption(QLabel& label, bool autoSize, QLabel* neighbour = nullptr);

    void setCaption(std::u16string_view caption) override;
    void setCaption(const QString& caption);

private:
    void keepNeighbourClear();

    QLabel& label_;
    bool autoSize_;
    QLabel* neighbour_;
    int neighbourLeft_ = 0;
    // The advance of the caption the label was last sized for; -1 for none known.
    int sizedAdvance_ = -1;
};

} // namespace quillon
