#pragma once

#include <QPixmap>

namespace espa::ui {

// The about box's logo, drawn rather than shipped: 591 x 260 pixels.
QPixmap MakeLogo();

}  // namespace espa::ui
