#pragma once

#include <QIcon>
#include <QPixmap>

namespace espa::ui {

// The about box's logo, drawn rather than shipped: 591 x 260 pixels.
QPixmap MakeLogo();

// The windows' icon: the logo's pager alone.
QIcon MakeAppIcon();

}  // namespace espa::ui
