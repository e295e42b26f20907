#include "AboutBox.h"

namespace quillon {

QString aboutApplicationText() {
    return QStringLiteral("作者");
}

QString aboutExtraText() {
    // No blank or line break between the credit and the thanks: they read as one line.
    return QStringLiteral("Quillon %1，由 Quillon 开发者编写。")
               .arg(QStringLiteral(QUILLON_VERSION)) +
           QStringLiteral("▲谢谢使用！");
}

} // namespace quillon
