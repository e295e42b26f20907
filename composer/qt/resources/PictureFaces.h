#pragma once

#include <QString>
#include <QStringView>

namespace quillon {

// Where the packed images live. Linking quillon_resources is all it takes to have them: no
// initialisation call is needed.
inline constexpr char kWindowIconPath[] = ":/icons/quillon.png";

// The resource path of a picture button's face, by the button's designer name: "Command323"
// gives ":/faces/Command323.png". The 87 picture buttons are Command111 to Command437 and
// Command511, Command512 and Command514.
QString pictureFacePath(QStringView buttonName);

} // namespace quillon
