#pragma once

#include <QRect>

class QWidget;

namespace espa::ui {

inline constexpr int kTwipsPerInch = 1440;

// Window geometry is designed in twips; the screen's logical DPI turns it into pixels, so the
// windows keep their proportions at any scaling.
int TwipsToPixelsX(const QWidget* widget, int twips);
int TwipsToPixelsY(const QWidget* widget, int twips);
QRect TwipsRect(const QWidget* widget, int left, int top, int width, int height);

// Places a child at a position given in twips within its parent.
void PlaceTwips(QWidget* child, int left, int top, int width, int height);

}  // namespace espa::ui
