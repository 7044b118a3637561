#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "core/operator_view.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace espa {
class Emulator;
class EmulatorReport;
}  // namespace espa

namespace espa::ui {

class AboutBox;
class CallGrid;
class ClickableLabel;
class FaultsDialog;
class Lamp;
class LineView;
class ReportDialog;
class SettingsDialog;
class StatusPlanDialog;

// The title bar and the quit question's caption.
inline constexpr const char* kApplicationTitle = "ESPA 4.4.4 Emulator";
// The blue title line across the window.
inline constexpr const char* kProductTitle = "ESPA 4.4.4 Paging System Emulator";

// frmHoofdscherm: the call positions, the status choice, the port lamps, the log window and the
// menu. The engine sees it only as its OperatorView.
//
// Life of the window with an emulator:
//   MainWindow window;  Emulator emulator(control, window, clock, dir);
//   window.Attach(emulator);  emulator.StartEmulation();  window.AfterStartUp();  window.show();
// The window closes the port itself, on a confirmed Quit and when it is closed by its close box;
// it never touches the emulator from its destructor, so the emulator may be destroyed first.
class MainWindow : public QMainWindow, public espa::OperatorView {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void Attach(espa::Emulator& emulator);
    // What Tools > Report... writes; without it the menu item does nothing.
    void AttachReport(espa::EmulatorReport& report) { m_report = &report; }
    // The steps after StartEmulation: Paged preselected, the start-up tool tips.
    void AfterStartUp();

    // espa::OperatorView
    void ShowCallPositions(const CallTable& table) override;
    std::string GetSelectedStatus() override;
    void UpdateMessageWindow(const LogLines& lines) override;
    void SetPortCaption(const std::string& caption) override;
    void SetRtsToolTip(const std::string& toolTip) override;
    void ShowLamps(const LampState& lamps) override;
    void SetWindowHeightTwips(int twips) override;
    void Beep() override;

    // Seams for tests and for a desktop without a sound: what Beep does, how the quit question is
    // asked (true for OK), and how the program is ended after a confirmed Quit.
    using BeepFunction = std::function<void()>;
    using AskFunction = std::function<bool(const QString& caption, const QString& question)>;
    using EndFunction = std::function<void()>;
    void SetBeepFunction(BeepFunction beep) { m_beep = std::move(beep); }
    void SetAskFunction(AskFunction ask) { m_ask = std::move(ask); }
    void SetEndFunction(EndFunction end) { m_end = std::move(end); }

    // The last height asked for by SetWindowHeightTwips, 0 before the first.
    int WindowHeightTwips() const { return m_heightTwips; }

    // The secondary windows while they are loaded, else null.
    SettingsDialog* SettingsWindow() const;
    AboutBox* AboutWindow() const;
    LineView* LineWindow() const;
    FaultsDialog* FaultsWindow() const;
    ReportDialog* ReportWindow() const;

  public slots:
    void Setup_Click();
    void Quit_Click();
    void About_Click();
    void Line_Click();
    void StatusPlan_Click();
    void Faults_Click();
    void Report_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenu();
    QWidget* BuildPortFrame(QWidget* parent);
    QWidget* BuildStatusFrame(QWidget* parent);
    QWidget* BuildLogFrame(QWidget* parent);
    void ApplyWindowHeight();
    void TakeLine();
    void ClosePortOnce();

    void LabLinkStatus_Click();
    void Label10_DblClick();
    void LabReturnedStatus_DblClick(int position);

    espa::Emulator* m_emulator = nullptr;
    espa::EmulatorReport* m_report = nullptr;

    QGroupBox* m_portFrame = nullptr;
    Lamp* m_shpTx = nullptr;
    Lamp* m_shpRx = nullptr;
    Lamp* m_shpRts = nullptr;
    Lamp* m_shpCts = nullptr;
    ClickableLabel* m_labLinkStatus = nullptr;

    QRadioButton* m_optPaged = nullptr;
    QRadioButton* m_optAbsent = nullptr;
    QRadioButton* m_optQueue = nullptr;
    QRadioButton* m_optTerminated = nullptr;
    QButtonGroup* m_statusGroup = nullptr;

    CallGrid* m_grid = nullptr;
    std::array<QLineEdit*, 10> m_text2{};

    QPointer<SettingsDialog> m_settingsDialog;
    QPointer<AboutBox> m_aboutBox;
    QPointer<LineView> m_lineView;
    QPointer<StatusPlanDialog> m_statusPlanDialog;
    QPointer<FaultsDialog> m_faultsDialog;
    QPointer<ReportDialog> m_reportDialog;

    BeepFunction m_beep;
    AskFunction m_ask;
    EndFunction m_end;

    int m_heightTwips = 0;
    bool m_portClosed = false;
    bool m_shownOnce = false;
};

}  // namespace espa::ui
