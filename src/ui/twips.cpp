#include "ui/twips.h"

#include <QWidget>
#include <cmath>

namespace espa::ui {
namespace {

int Scale(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

}  // namespace

int TwipsToPixelsX(const QWidget* widget, int twips) {
    return Scale(twips, widget->logicalDpiX());
}

int TwipsToPixelsY(const QWidget* widget, int twips) {
    return Scale(twips, widget->logicalDpiY());
}

QRect TwipsRect(const QWidget* widget, int left, int top, int width, int height) {
    const int x = TwipsToPixelsX(widget, left);
    const int y = TwipsToPixelsY(widget, top);
    // Edges are rounded, not sizes, so neighbouring controls neither overlap nor leave gaps.
    return QRect(QPoint(x, y), QPoint(TwipsToPixelsX(widget, left + width) - 1,
                                      TwipsToPixelsY(widget, top + height) - 1));
}

void PlaceTwips(QWidget* child, int left, int top, int width, int height) {
    child->setGeometry(TwipsRect(child, left, top, width, height));
}

}  // namespace espa::ui
