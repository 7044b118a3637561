#include "ui/logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace espa::ui {
namespace {

constexpr int kWidth = 591;
constexpr int kHeight = 260;

// A pager: a rounded body with a small screen.
void DrawPager(QPainter& painter) {
    painter.setPen(QPen(QColor(20, 20, 60), 4));
    painter.setBrush(QColor(60, 60, 90));
    painter.drawRoundedRect(QRectF(40, 60, 150, 150), 22, 22);
    painter.setBrush(QColor(170, 210, 160));
    painter.drawRect(QRectF(62, 82, 106, 50));
    painter.setBrush(QColor(200, 40, 40));
    painter.drawEllipse(QRectF(100, 158, 30, 30));

    // Radio waves leaving the pager.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 255), 6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal r = 30 + i * 26;
        painter.drawArc(QRectF(190 - r, 80 - r, 2 * r, 2 * r), 0 * 16, 70 * 16);
    }
}

}  // namespace

QPixmap MakeLogo() {
    QPixmap logo(kWidth, kHeight);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(235, 240, 255));
    sky.setColorAt(1, QColor(180, 195, 235));
    painter.fillRect(logo.rect(), sky);

    DrawPager(painter);

    painter.setPen(QColor(0, 0, 160));
    QFont big("Arial");
    big.setPixelSize(96);
    big.setBold(true);
    painter.setFont(big);
    painter.drawText(QRect(250, 40, 330, 110), Qt::AlignLeft | Qt::AlignVCenter, "ESPA");

    QFont small("Arial");
    small.setPixelSize(34);
    painter.setFont(small);
    painter.drawText(QRect(254, 150, 330, 60), Qt::AlignLeft | Qt::AlignVCenter, "4.4.4 Emulator");
    return logo;
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // The pager and its waves stand in a 260 x 260 square of the logo.
        painter.scale(size / 260.0, size / 260.0);
        painter.translate(0, -10);
        DrawPager(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace espa::ui
