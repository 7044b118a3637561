#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace espa::ui {

// "Software version: " with the major and minor number as plain decimal digits.
QString VersionLine(int major, int minor);

// frmAbout: the logo, a fixed line and the program's version. A plain window: Close and the
// close box unload it.
class AboutBox : public QWidget {
    Q_OBJECT

  public:
    // `beep` sounds when another window of the program is activated while this one is open.
    explicit AboutBox(std::function<void()> beep, QWidget* parent = nullptr);

  public slots:
    void CmdSluit_Click();

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    std::function<void()> m_beep;
    bool m_shownOnce = false;
};

}  // namespace espa::ui
