#include "PictureFaces.h"

namespace quillon {

QString pictureFacePath(QStringView buttonName) {
    return QStringLiteral(":/faces/%1.png").arg(buttonName);
}

} // namespace quillon
