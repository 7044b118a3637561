#include "ui/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "calls/call_table.h"
#include "engine/emulator.h"
#include "line/line_watch.h"
#include "log/log_lines.h"
#include "serial/lamp_state.h"
#include "ui/about_box.h"
#include "ui/call_grid.h"
#include "ui/clickable_label.h"
#include "ui/faults_dialog.h"
#include "ui/lamp.h"
#include "ui/line_view.h"
#include "ui/logo.h"
#include "ui/report_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/status_plan_dialog.h"
#include "ui/twips.h"

namespace espa::ui {
namespace {

// Client width of the window and the places of its parts, in twips.
constexpr int kClientWidth = 10260;
constexpr int kLeft = 120;
constexpr int kFrameTop = 60;
constexpr int kFrameHeight = 855;
constexpr int kGridTop = 1020;
constexpr int kTitleTop = kGridTop + CallGrid::kHeightTwips + 120;
constexpr int kTitleHeight = 480;
constexpr int kLogTop = kTitleTop + kTitleHeight + 180;
constexpr int kLogLineTop = 240;
constexpr int kLogLineHeight = 255;
constexpr int kLogHeight = kLogLineTop + LogLines::kLineCount * kLogLineHeight + 60;

constexpr const char* kQuitQuestion = "Really want to quit?";

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QLabel* Caption(const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      m_beep([] { QApplication::beep(); }),
      m_ask([this](const QString& caption, const QString& question) {
          QMessageBox box(QMessageBox::NoIcon, caption, question,
                          QMessageBox::Ok | QMessageBox::Cancel, this);
          return box.exec() == QMessageBox::Ok;
      }),
      m_end([] { QCoreApplication::exit(0); }) {
    setObjectName("frmHoofdscherm");
    setWindowTitle(kApplicationTitle);
    // Every window of the program inherits this icon from the application.
    QApplication::setWindowIcon(MakeAppIcon());

    // The layout is drawn in twips for this size; the system's larger default would not fit.
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    BuildMenu();

    auto* central = new QWidget(this);
    central->setObjectName("Client");
    setCentralWidget(central);

    QWidget* portFrame = BuildPortFrame(central);
    PlaceTwips(portFrame, kLeft, kFrameTop, 4680, kFrameHeight);
    QWidget* statusFrame = BuildStatusFrame(central);
    PlaceTwips(statusFrame, 4920, kFrameTop, 5220, kFrameHeight);

    m_grid = new CallGrid(central);
    m_grid->setObjectName("CallGrid");
    PlaceTwips(m_grid, kLeft, kGridTop, CallGrid::kWidthTwips, CallGrid::kHeightTwips);
    connect(m_grid, &CallGrid::headerDoubleClicked, this, [this] { Label10_DblClick(); });
    connect(m_grid, &CallGrid::statusDoubleClicked, this,
            [this](int position) { LabReturnedStatus_DblClick(position); });

    auto* title = new QLabel(kProductTitle, central);
    title->setObjectName("LabelSoftware");
    title->setTextFormat(Qt::PlainText);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(QFont("Arial", 14));
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    title->setPalette(titlePalette);
    PlaceTwips(title, kLeft, kTitleTop, CallGrid::kWidthTwips, kTitleHeight);

    QWidget* logFrame = BuildLogFrame(central);
    PlaceTwips(logFrame, kLeft, kLogTop, CallGrid::kWidthTwips, kLogHeight);

    resize(TwipsToPixelsX(this, kClientWidth), TwipsToPixelsY(this, kShortWindowTwips));
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenu() {
    QAction* setup = menuBar()->addAction("Setup");
    setup->setObjectName("Setup");
    connect(setup, &QAction::triggered, this, &MainWindow::Setup_Click);
    QAction* quit = menuBar()->addAction("Quit");
    quit->setObjectName("Quit");
    connect(quit, &QAction::triggered, this, &MainWindow::Quit_Click);
    QAction* about = menuBar()->addAction("About");
    about->setObjectName("About");
    connect(about, &QAction::triggered, this, &MainWindow::About_Click);
    // The views that help an engineer at the line; more join them here.
    QMenu* tools = menuBar()->addMenu("Tools");
    tools->setObjectName("Tools");
    QAction* line = tools->addAction("Line");
    line->setObjectName("Line");
    connect(line, &QAction::triggered, this, &MainWindow::Line_Click);
    QAction* statusPlan = tools->addAction("Status plan\u2026");
    statusPlan->setObjectName("StatusPlan");
    connect(statusPlan, &QAction::triggered, this, &MainWindow::StatusPlan_Click);
    QAction* faults = tools->addAction("Faults\u2026");
    faults->setObjectName("Faults");
    connect(faults, &QAction::triggered, this, &MainWindow::Faults_Click);
    QAction* report = tools->addAction("Report\u2026");
    report->setObjectName("Report");
    connect(report, &QAction::triggered, this, &MainWindow::Report_Click);
}

QWidget* MainWindow::BuildPortFrame(QWidget* parent) {
    m_portFrame = new QGroupBox("Serial Port: X", parent);
    m_portFrame->setObjectName("FrmCommunicatie");

    struct LampDesign {
        Lamp** lamp;
        const char* name;
        QColor colour;
        const char* caption;
    };
    const LampDesign lamps[] = {
        {&m_shpTx, "ShpTx", QColor(192, 0, 0), "TxD"},
        {&m_shpRx, "ShpRx", QColor(0, 192, 0), "RxD"},
        {&m_shpRts, "ShpRTS", QColor(192, 192, 0), "RTS"},
        {&m_shpCts, "ShpCTS", QColor(192, 192, 0), "CTS"},
    };
    int left = 240;
    for (const LampDesign& design : lamps) {
        *design.lamp = new Lamp(design.colour, m_portFrame);
        (*design.lamp)->setObjectName(design.name);
        PlaceTwips(*design.lamp, left, 390, 225, 225);

        QLabel* caption = nullptr;
        if (design.lamp == &m_shpRts) {
            m_labLinkStatus = new ClickableLabel(m_portFrame);
            m_labLinkStatus->setObjectName("LabLinkStatus");
            m_labLinkStatus->setText(design.caption);
            m_labLinkStatus->setToolTip("RTS status, click on text to change");
            connect(m_labLinkStatus, &ClickableLabel::clicked, this,
                    [this] { LabLinkStatus_Click(); });
            caption = m_labLinkStatus;
        } else {
            caption = Caption(design.caption, m_portFrame);
        }
        PlaceTwips(caption, left + 315, 345, 540, 315);
        left += 1080;
    }
    return m_portFrame;
}

QWidget* MainWindow::BuildStatusFrame(QWidget* parent) {
    auto* frame = new QGroupBox("ReturnStatus", parent);
    frame->setObjectName("StatusRtn");
    m_statusGroup = new QButtonGroup(frame);

    struct OptionDesign {
        QRadioButton** option;
        const char* name;
        const char* caption;
        int left;
        int width;
    };
    const OptionDesign options[] = {
        {&m_optPaged, "OptPaged", "Paged", 180, 1140},
        {&m_optAbsent, "OptAbsent", "Absent", 1380, 1200},
        {&m_optQueue, "OptQueue", "Queue", 2640, 1140},
        {&m_optTerminated, "OptTerminated", "Terminated", 3840, 1320},
    };
    for (const OptionDesign& design : options) {
        *design.option = new QRadioButton(design.caption, frame);
        (*design.option)->setObjectName(design.name);
        m_statusGroup->addButton(*design.option);
        PlaceTwips(*design.option, design.left, 345, design.width, 315);
    }
    return frame;
}

QWidget* MainWindow::BuildLogFrame(QWidget* parent) {
    auto* frame = new QGroupBox("Logdata ", parent);
    frame->setObjectName("FrameLog");
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    for (int i = 0; i < LogLines::kLineCount; ++i) {
        auto* line = new QLineEdit(frame);
        line->setObjectName(QStringLiteral("Text2_%1").arg(i));
        line->setReadOnly(true);
        line->setFrame(false);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Base, buttonFace);
        line->setPalette(palette);
        PlaceTwips(line, 120, kLogLineTop + i * kLogLineHeight, CallGrid::kWidthTwips - 240,
                   kLogLineHeight);
        m_text2[i] = line;
    }
    return frame;
}

void MainWindow::Attach(espa::Emulator& emulator) {
    m_emulator = &emulator;
}

void MainWindow::AfterStartUp() {
    m_optPaged->setChecked(true);
    m_grid->SetStartUpToolTips();
}

void MainWindow::ShowCallPositions(const CallTable& table) {
    m_grid->Show(table);
}

std::string MainWindow::GetSelectedStatus() {
    if (m_optQueue->isChecked()) {
        return kStatusQueue;
    }
    if (m_optPaged->isChecked()) {
        return kStatusPaged;
    }
    if (m_optAbsent->isChecked()) {
        return kStatusAbsent;
    }
    if (m_optTerminated->isChecked()) {
        return kStatusTerminated;
    }
    return {};
}

void MainWindow::UpdateMessageWindow(const LogLines& lines) {
    for (int i = 0; i < LogLines::kLineCount; ++i) {
        const QString text = QString::fromLatin1(lines.Line(i));
        if (m_text2[i]->text() != text) {
            m_text2[i]->setText(text);
            // A long line shows its beginning (time and message), not its end.
            m_text2[i]->setCursorPosition(0);
        }
    }
}

void MainWindow::SetPortCaption(const std::string& caption) {
    m_portFrame->setTitle(QString::fromLatin1(caption));
}

void MainWindow::SetRtsToolTip(const std::string& toolTip) {
    m_labLinkStatus->setToolTip(QString::fromLatin1(toolTip));
}

void MainWindow::ShowLamps(const LampState& lamps) {
    m_shpTx->SetColour(ToColour(lamps.tx));
    m_shpRx->SetColour(ToColour(lamps.rx));
    m_shpRts->SetColour(ToColour(lamps.rts));
    m_shpCts->SetColour(ToColour(lamps.cts));
    TakeLine();
}

// On the lamp tick, not per byte: a busy line costs the window four table updates a second.
void MainWindow::TakeLine() {
    if (m_emulator != nullptr && m_lineView != nullptr) {
        const LineNews& news = m_emulator->LatestOnLine();
        m_lineView->Add(news.frames, news.hints,
                        static_cast<Emulation>(m_emulator->Settings().Emulatie));
    }
}

void MainWindow::SetWindowHeightTwips(int twips) {
    m_heightTwips = twips;
    ApplyWindowHeight();
}

// The height is the outer one, title bar included; the frame is known only once the window is
// shown, so the first show applies it again.
void MainWindow::ApplyWindowHeight() {
    if (m_heightTwips <= 0) {
        return;
    }
    const int outer = TwipsToPixelsY(this, m_heightTwips);
    const int frameExtra = std::max(0, frameGeometry().height() - geometry().height());
    resize(width(), std::max(1, outer - frameExtra));
}

void MainWindow::Beep() {
    if (m_beep) {
        m_beep();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce) {
        return;
    }
    m_shownOnce = true;
    QTimer::singleShot(0, this, [this] {
        ApplyWindowHeight();
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    });
}

SettingsDialog* MainWindow::SettingsWindow() const {
    return m_settingsDialog;
}

AboutBox* MainWindow::AboutWindow() const {
    return m_aboutBox;
}

void MainWindow::Setup_Click() {
    if (m_emulator == nullptr) {
        return;
    }
    if (m_settingsDialog == nullptr) {
        m_settingsDialog = new SettingsDialog(
            *m_emulator, [this] { Beep(); }, this);
    }
    m_settingsDialog->show();
    m_settingsDialog->raise();
    m_settingsDialog->activateWindow();
}

void MainWindow::About_Click() {
    if (m_aboutBox == nullptr) {
        m_aboutBox = new AboutBox([this] { Beep(); }, this);
    }
    m_aboutBox->show();
    m_aboutBox->raise();
    m_aboutBox->activateWindow();
}

FaultsDialog* MainWindow::FaultsWindow() const {
    return m_faultsDialog;
}

LineView* MainWindow::LineWindow() const {
    return m_lineView;
}

// The line is watched only while the view is open. Closed, the view is gone with its rows; the
// next one starts from an empty table and a fresh watch.
void MainWindow::Faults_Click() {
    if (m_emulator == nullptr) {
        return;
    }
    if (m_faultsDialog == nullptr) {
        m_faultsDialog = new FaultsDialog(*m_emulator, this);
        m_faultsDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_faultsDialog->show();
    m_faultsDialog->raise();
    m_faultsDialog->activateWindow();
}

void MainWindow::Line_Click() {
    if (m_emulator == nullptr) {
        return;
    }
    if (m_lineView == nullptr) {
        m_lineView = new LineView(this);
        m_lineView->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_lineView, &LineView::closed, this, [this] { m_emulator->WatchLine(false); });
        m_emulator->WatchLine(true);
    }
    m_lineView->show();
    m_lineView->raise();
    m_lineView->activateWindow();
}

// Opened afresh each time, so it shows the plans in force, also those set on the command line.
void MainWindow::StatusPlan_Click() {
    if (m_emulator == nullptr) {
        return;
    }
    if (m_statusPlanDialog == nullptr) {
        m_statusPlanDialog = new StatusPlanDialog(m_emulator->Status(), this);
        m_statusPlanDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_statusPlanDialog->show();
    m_statusPlanDialog->raise();
    m_statusPlanDialog->activateWindow();
}

ReportDialog* MainWindow::ReportWindow() const {
    return m_reportDialog;
}

// Kept once made, like the settings dialog: the page's name is still there the next time.
void MainWindow::Report_Click() {
    if (m_report == nullptr) {
        return;
    }
    if (m_reportDialog == nullptr) {
        m_reportDialog = new ReportDialog(*m_report, this);
    } else {
        m_reportDialog->Refresh();
    }
    m_reportDialog->show();
    m_reportDialog->raise();
    m_reportDialog->activateWindow();
}

void MainWindow::Quit_Click() {
    if (!m_ask(QString::fromLatin1(kApplicationTitle), QString::fromLatin1(kQuitQuestion))) {
        return;
    }
    ClosePortOnce();
    m_end();
}

// The close box asks nothing: the port is closed as the window goes.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_settingsDialog != nullptr) {
        m_settingsDialog->close();
    }
    if (m_aboutBox != nullptr) {
        m_aboutBox->close();
    }
    if (m_lineView != nullptr) {
        m_lineView->close();
    }
    if (m_reportDialog != nullptr) {
        m_reportDialog->close();
    }
    ClosePortOnce();
    event->accept();
}

// Quit and the close box both end the program; the port is closed once, whichever comes first.
void MainWindow::ClosePortOnce() {
    if (m_emulator == nullptr || m_portClosed) {
        return;
    }
    m_portClosed = true;
    m_emulator->Shutdown();
}

void MainWindow::LabLinkStatus_Click() {
    if (m_emulator != nullptr) {
        m_emulator->Port().LabLinkStatusClick();
    }
}

void MainWindow::Label10_DblClick() {
    if (m_emulator == nullptr) {
        return;
    }
    Beep();
    m_emulator->ClearCallPositions();
}

// A call still waiting for its status (or an empty or failed position) stays, without a beep.
void MainWindow::LabReturnedStatus_DblClick(int position) {
    if (m_emulator != nullptr &&
        m_emulator->DeleteAnsweredCall(position) == Emulator::DeleteResult::Deleted) {
        Beep();
    }
}

}  // namespace espa::ui
