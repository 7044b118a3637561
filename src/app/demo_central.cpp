#include "demo_central.h"

#include <QSocketNotifier>
#include <QtGlobal>
#include <array>

#include "console_view.h"
#include "core/make_variant.h"
#include "core/settings_record.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#ifdef Q_OS_MACOS
#include <util.h>
#else
#include <pty.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace espa {
namespace {

struct DemoCall {
    const char* pager;
    const char* info;
    const char* bleep;
    const char* callType;
    const char* nrOfTx;
    const char* priority;
};

// Fields vary from call to call, empty ones are left out; one text carries a Latin-1 byte, as
// line text may.
constexpr std::array<DemoCall, 6> kCalls{{
    {"1001", "Room 12 nurse call", "2", "", "", "1"},
    {"2040", "Fire alarm hall B", "4", "1", "3", "3"},
    {"1017", "Call reception 201", "1", "", "", ""},
    {"3100", "Caf\xE9 closes at 5", "3", "", "1", "2"},
    {"2222", "", "2", "", "", ""},
    {"1432", "Visitor at the gate", "1", "2", "", "1"},
}};

// Every third job is a status request for the call before, where the mode allows it.
constexpr int kStatusRequestEvery = 3;

EspaFields FieldsOf(const DemoCall& call) {
    EspaFields fields;
    const std::array<std::pair<char, const char*>, 6> all{{{'1', call.pager},
                                                           {'2', call.info},
                                                           {'3', call.bleep},
                                                           {'4', call.callType},
                                                           {'5', call.nrOfTx},
                                                           {'6', call.priority}}};
    for (const auto& [identifier, value] : all) {
        if (*value != '\0') {
            fields.emplace_back(identifier, value);
        }
    }
    return fields;
}

std::string FieldValue(const EspaFields& fields, char identifier) {
    for (const auto& [id, value] : fields) {
        if (id == identifier) {
            return value;
        }
    }
    return {};
}

// The word behind a status code as the emulator in `emulation` codes it.
std::string StatusWord(const std::string& code, std::int16_t emulation) {
    if (emulation == static_cast<std::int16_t>(Emulation::DataCall)) {
        return code == "2" ? "PAGED" : code == "5" ? "TERMINATED" : code == "4" ? "ABSENT" : "";
    }
    return code == "2"   ? "QUEUE"
           : code == "3" ? "PAGED"
           : code == "4" ? "ABSENT"
           : code == "5" ? "TERMINATED"
                         : "";
}

// A CommTechWireLess emulator raises the check characters of its status transfers by 6.
CentralSession::Timing TimingFor(std::int16_t emulation) {
    CentralSession::Timing timing;
    if (emulation == static_cast<std::int16_t>(Emulation::CommTechWireLess)) {
        timing.transferCheckOffset = kCommTechCheckOffset;
    }
    return timing;
}

}  // namespace

#ifdef Q_OS_UNIX

std::unique_ptr<DemoLine> DemoLine::Open(std::string& error) {
    std::unique_ptr<DemoLine> line(new DemoLine());
    char name[256] = {};
    if (::openpty(&line->m_master, &line->m_slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return nullptr;
    }
    line->m_slavePath = name;
    for (const int fd : {line->m_master, line->m_slave}) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // A fresh pty is in cooked mode with echo, which would mangle and reflect the bytes.
        termios tio{};
        if (::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ::fcntl(line->m_master, F_SETFL, ::fcntl(line->m_master, F_GETFL) | O_NONBLOCK);
    return line;
}

DemoLine::~DemoLine() {
    if (m_master >= 0) {
        ::close(m_master);
    }
    if (m_slave >= 0) {
        ::close(m_slave);
    }
}

#else

std::unique_ptr<DemoLine> DemoLine::Open(std::string& error) {
    error = "--demo is not available on this system";
    return nullptr;
}

DemoLine::~DemoLine() = default;

#endif

DemoCentral::DemoCentral(DemoLine& line, std::function<std::int16_t()> emulation, std::ostream& out,
                         QObject* parent)
    : QObject(parent), m_line(line), m_emulation(std::move(emulation)), m_out(out) {
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &DemoCentral::OnTick);
}

DemoCentral::~DemoCentral() = default;

void DemoCentral::Start() {
    if (m_schedule) {
        return;
    }
    m_sessionEmulation = m_emulation();
    m_schedule = std::make_unique<CentralSchedule>(
        CentralSchedule::Plan{{}, kPollIntervalMs, std::nullopt, std::nullopt},
        TimingFor(m_sessionEmulation),
        CentralSchedule::MoreJobs{[this] { return NextJob(); }, kCallIntervalMs, kFirstCallMs});
    Print("the emulator's port is on " + m_line.SlavePath() + "; a call every " +
          std::to_string(kCallIntervalMs / 1000) + " s, a poll every second.");
#ifdef Q_OS_UNIX
    m_notifier = new QSocketNotifier(m_line.MasterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DemoCentral::OnReadable);
#endif
    m_clock.start();
    m_tick.start();
}

void DemoCentral::OnReadable() {
#ifdef Q_OS_UNIX
    char buffer[256];
    const ssize_t n = ::read(m_line.MasterFd(), buffer, sizeof buffer);
    if (n > 0) {
        m_schedule->Receive(std::string(buffer, static_cast<std::size_t>(n)));
        WritePending();
        for (const CentralEvent& event : m_schedule->TakeEvents()) {
            Report(event);
        }
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        m_notifier->setEnabled(false);
    }
#endif
}

void DemoCentral::OnTick() {
    FollowEmulation();
    const qint64 now = m_clock.elapsed();
    m_schedule->Advance(static_cast<int>(now - m_lastTickMs));
    m_lastTickMs = now;
    for (const CentralEvent& event : m_schedule->TakeEvents()) {
        Report(event);
    }
    WritePending();
}

// The operator may change the mode in the settings dialog: the schedule follows it from the next
// exchange on.
void DemoCentral::FollowEmulation() {
    const std::int16_t emulation = m_emulation();
    if (emulation != m_sessionEmulation) {
        m_sessionEmulation = emulation;
        m_schedule->SetTiming(TimingFor(emulation));
    }
}

CentralJob DemoCentral::NextJob() {
    ++m_jobsSent;
    const bool commTech =
        m_sessionEmulation == static_cast<std::int16_t>(Emulation::CommTechWireLess);
    if (!commTech && !m_lastCall.empty() && m_jobsSent % kStatusRequestEvery == 0) {
        return {CentralJob::Kind::StatusRequest, m_lastCall};
    }
    m_lastCall = FieldsOf(kCalls[m_nextCall]);
    m_nextCall = (m_nextCall + 1) % kCalls.size();
    return {CentralJob::Kind::Call, m_lastCall};
}

void DemoCentral::WritePending() {
    m_unsent += m_schedule->TakeOutput();
#ifdef Q_OS_UNIX
    while (!m_unsent.empty()) {
        const ssize_t n = ::write(m_line.MasterFd(), m_unsent.data(), m_unsent.size());
        if (n <= 0) {
            return;  // full for now; the rest goes at the next tick
        }
        m_unsent.erase(0, static_cast<std::size_t>(n));
    }
#endif
}

void DemoCentral::Report(const CentralEvent& event) {
    const std::string pager = "pager [" + FieldValue(event.fields, '1') + "]";
    switch (event.kind) {
        case CentralEvent::Kind::CallAccepted:
            return Print("call to " + pager + " acknowledged.");
        case CentralEvent::Kind::CallRefused:
            return Print("call to " + pager + " refused.");
        case CentralEvent::Kind::StatusRequestAccepted:
            return Print("status request for " + pager + " acknowledged.");
        case CentralEvent::Kind::StatusRequestRefused:
            return Print("status request for " + pager + " refused.");
        case CentralEvent::Kind::StatusTransfer: {
            const std::string code = FieldValue(event.fields, '7');
            const std::string word = StatusWord(code, m_sessionEmulation);
            return Print("status " + (word.empty() ? "" : word + " ") + "(code " + code +
                         ") received for " + pager + ".");
        }
        case CentralEvent::Kind::BadStatusTransfer:
            return Print("status transfer for " + pager + " had a wrong check character.");
        case CentralEvent::Kind::PollEmpty:
            return;  // once a second: too many to show
        case CentralEvent::Kind::NoAnswer:
            return Print("no answer from the emulator.");
        case CentralEvent::Kind::UnexpectedAnswer:
            return Print("unexpected answer: " + event.detail);
        case CentralEvent::Kind::Resent:
            return Print("call to " + pager + " NAKed; sent again " + event.detail + ".");
        case CentralEvent::Kind::NoEot:
            return Print("status transfer not closed with EOT.");
        case CentralEvent::Kind::Retry:
        case CentralEvent::Kind::StatusTimeout:
            return;  // the demo's central neither retries nor waits for final statuses
    }
}

void DemoCentral::Print(const std::string& text) {
    m_out << ConsoleView::RenderLine("Demo central: " + text) << '\n' << std::flush;
}

}  // namespace espa
