#include "ui/about_box.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/logo.h"
#include "ui/twips.h"
#include "ui/window_behaviour.h"

namespace espa::ui {

QString VersionLine(int major, int minor) {
    return QStringLiteral("Software version: %1.%2").arg(major).arg(minor);
}

AboutBox::AboutBox(std::function<void()> beep, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_beep(std::move(beep)) {
    setObjectName("frmAbout");
    setWindowTitle("About");
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    auto* image = new QLabel(this);
    image->setObjectName("Image1");
    image->setPixmap(MakeLogo());
    image->setScaledContents(true);
    PlaceTwips(image, 3960, 120, 2625, 1140);

    auto* line = new QLabel("ESPA 4.4.4 Emulator", this);
    line->setObjectName("Label3");
    line->setAlignment(Qt::AlignCenter);
    QPalette blue = line->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    line->setPalette(blue);
    PlaceTwips(line, 3960, 1320, 2055, 255);

    auto* version = new QLabel(this);
    version->setObjectName("Label4");
    QPalette black = version->palette();
    black.setColor(QPalette::WindowText, QColor(0, 0, 0));
    version->setPalette(black);
    PlaceTwips(version, 120, 1200, 3735, 255);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("CmdSluit");
    PlaceTwips(close, 5160, 1680, 1455, 495);
    connect(close, &QPushButton::clicked, this, &AboutBox::CmdSluit_Click);

    setFixedSize(TwipsToPixelsX(this, 6645), TwipsToPixelsY(this, 2250));

    version->setText(VersionLine(ESPA_VERSION_MAJOR, ESPA_VERSION_MINOR));
}

void AboutBox::CmdSluit_Click() {
    close();
}

void AboutBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (LostActivationToOwnWindow(*this, *event) && m_beep) {
        m_beep();
    }
}

// Centred on the window that opened it.
void AboutBox::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce) {
        return;
    }
    m_shownOnce = true;
    if (const QWidget* opener = parentWidget()) {
        CentreFrameOn(*this, opener->window()->frameGeometry());
    }
}

}  // namespace espa::ui
