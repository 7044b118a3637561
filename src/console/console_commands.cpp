#include "console_commands.h"

#include <cctype>
#include <string>
#include <vector>

#include <QFile>
#include <QStringDecoder>

#include "calls/call_table.h"
#include "common/emulator_report.h"
#include "console_view.h"
#include "engine/emulator.h"
#include "faults/fault_plan.h"

namespace espa {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower;
    for (const char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// One optional part of a call's line, as in the log's call line: left out when empty.
std::string Part(const char* label, const std::string& value) {
    return value.empty() ? std::string() : std::string(label) + value + "]";
}

// The report's header fields by the names of their options.
constexpr std::pair<const char*, std::string ReportHeader::*> kHeaderFields[] = {
    {"site", &ReportHeader::site},
    {"central-make", &ReportHeader::centralMake},
    {"central-firmware", &ReportHeader::centralFirmware},
    {"engineer", &ReportHeader::engineer},
    {"remarks", &ReportHeader::remarks},
};

// A terminal types UTF-8, the header is Latin-1 as the line's texts are; bytes that are no UTF-8
// are taken as Latin-1 already.
std::string HeaderText(std::string_view typed) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(typed.data(), qsizetype(typed.size())));
    return utf8.hasError() ? std::string(typed) : text.toLatin1().toStdString();
}

}  // namespace

ConsoleCommands::ConsoleCommands(Emulator& emulator, ConsoleView& view, std::ostream& out,
                                 std::ostream& err, EmulatorReport* report)
    : m_emulator(emulator), m_view(view), m_out(out), m_err(err), m_report(report) {}

ConsoleCommands::Outcome ConsoleCommands::Execute(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty()) {
        return Outcome::Done;
    }
    const std::size_t blank = text.find_first_of(kBlanks);
    const std::string word = Lower(text.substr(0, blank));
    const std::string_view argument =
        blank == std::string_view::npos ? std::string_view() : Trimmed(text.substr(blank));

    const bool noArgument = argument.empty();
    if (word == "status") {
        return SetStatus(argument);
    }
    if (word == "delete") {
        return Delete(argument);
    }
    if (word == "status-plan") {
        return StatusPlanCommand(argument);
    }
    if (word == "report") {
        return WriteReport(argument);
    }
    for (const auto& [name, field] : kHeaderFields) {
        if (word == name) {
            return SetHeader(name, field, argument);
        }
    }
    if (word == "clear" && noArgument) {
        return Clear();
    }
    if (word == "calls" && noArgument) {
        return ListCalls();
    }
    if (word == "fault") {
        return AddFault(argument);
    }
    if (word == "faults" && noArgument) {
        return ListFaults();
    }
    if (word == "help" && noArgument) {
        return Help();
    }
    if (word == "quit" && noArgument) {
        return Outcome::Quit;
    }
    if (word == "clear" || word == "calls" || word == "faults" || word == "help" ||
        word == "quit") {
        return Fail("'" + word + "' takes no argument");
    }
    return Fail("unknown command '" + ConsoleView::RenderLine(text.substr(0, blank)) +
                "' (try: help)");
}

ConsoleCommands::Outcome ConsoleCommands::SetStatus(std::string_view argument) {
    const std::optional<std::string> word = ConsoleView::StatusFromOption(argument);
    if (!word) {
        return Fail("usage: status paged|absent|queue|terminated");
    }
    m_view.SetSelectedStatus(*word);
    m_out << "Status " << *word << " selected." << '\n' << std::flush;
    return Outcome::Done;
}

// Every call held starts the plans over whenever they change, as after the window's dialog.
ConsoleCommands::Outcome ConsoleCommands::StatusPlanCommand(std::string_view argument) {
    StatusExchange& status = m_emulator.Status();
    std::vector<StatusPlan> plans = status.StatusPlans();
    if (argument.empty()) {
        for (std::size_t i = 0; i < plans.size(); ++i) {
            m_out << "Status plan " << i + 1 << ": " << ConsoleView::RenderLine(plans[i].Text())
                  << '\n';
        }
        m_out << (plans.empty() ? "No status plan: the chosen status is reported.\n" : "")
              << std::flush;
        return Outcome::Done;
    }
    if (Lower(argument) == "clear") {
        status.SetStatusPlans({});
        m_out << "Status plans cleared." << '\n' << std::flush;
        return Outcome::Done;
    }
    std::string error;
    auto plan = StatusPlan::Parse(argument, error);
    if (!plan) {
        return Fail("status-plan: " + ConsoleView::RenderLine(error));
    }
    m_out << "Status plan " << plans.size() + 1 << ": " << ConsoleView::RenderLine(plan->Text())
          << '\n'
          << std::flush;
    plans.push_back(std::move(*plan));
    status.SetStatusPlans(std::move(plans));
    return Outcome::Done;
}

// The same engine operation as the window's double-click, so that both delete by one rule.
ConsoleCommands::Outcome ConsoleCommands::Delete(std::string_view argument) {
    if (argument.size() != 1 || !std::isdigit(static_cast<unsigned char>(argument[0]))) {
        return Fail("usage: delete N, N a position 0-9");
    }
    const int p = argument[0] - '0';
    switch (m_emulator.DeleteAnsweredCall(p)) {
        case Emulator::DeleteResult::Deleted:
            break;
        case Emulator::DeleteResult::Empty:
            return Fail("position " + std::to_string(p) + " is empty");
        case Emulator::DeleteResult::NotAnswered:
            return Fail("position " + std::to_string(p) +
                        " still waits for its status; not deleted");
        case Emulator::DeleteResult::InvalidPosition:
            return Fail("usage: delete N, N a position 0-9");
    }
    m_out << "Position " << p << " deleted." << '\n' << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::Clear() {
    m_emulator.ClearCallPositions();
    m_out << "All positions cleared." << '\n' << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::ListCalls() {
    CallTable& table = m_emulator.Table();
    int shown = 0;
    for (int p = 0; p < CallTable::kPositions; ++p) {
        const CallPosition& call = table[p];
        if (call.IsFree()) {
            continue;
        }
        const std::string status = call.ReturnedStatus.empty() ? "-" : call.ReturnedStatus;
        const std::string line =
            "Position " + std::to_string(p) + ": " + status + " [" + call.Adres + "]" +
            Part(" Info: [", call.Info) + Part(" Bleep: [", call.Bleep) +
            Part(" Calltype: [", call.CallType) + Part(" NrOfTx: [", call.NrOfTx) +
            Part(" Priority: [", call.Priority) + (call.StatusPending != 0 ? " pending" : "");
        m_out << ConsoleView::RenderLine(line) << '\n';
        ++shown;
    }
    if (shown == 0) {
        m_out << "No calls stored." << '\n';
    }
    m_out << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::AddFault(std::string_view argument) {
    if (argument == "clear") {
        m_emulator.Faults().Clear();
        m_out << "Faults cleared." << '\n' << std::flush;
        return Outcome::Done;
    }
    std::string error;
    const auto planned = ParsePlanLine(argument, error);
    if (!planned || !m_emulator.AddFaults({*planned}, error)) {
        return Fail(error);
    }
    m_out << "Fault " << argument << " set." << '\n' << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::ListFaults() {
    const FaultInjector& faults = m_emulator.Faults();
    if (faults.PendingTexts().empty() && faults.ActiveTexts().empty() && faults.Taken().empty()) {
        m_out << "No faults." << '\n' << std::flush;
        return Outcome::Done;
    }
    for (const std::string& text : faults.PendingTexts()) {
        m_out << "waiting: " << text << '\n';
    }
    for (const std::string& text : faults.ActiveTexts()) {
        m_out << "acting: " << text << '\n';
    }
    for (const FaultEvent& taken : faults.Taken()) {
        m_out << "taken: " << taken.text << ": " << taken.detail << '\n';
    }
    m_out << std::flush;
    return Outcome::Done;
}

// The line's own bytes name the file, as a shell would pass them.
ConsoleCommands::Outcome ConsoleCommands::WriteReport(std::string_view argument) {
    if (m_report == nullptr) {
        return Fail("no report in this run");
    }
    const QString page = QFile::decodeName(QByteArray(argument.data(), qsizetype(argument.size())));
    if (const std::optional<std::string> failure = m_report->Write(page)) {
        return Fail("report: " + *failure);
    }
    m_out << "Report figures written to " << QFile::encodeName(FiguresPathFor(page)).toStdString()
          << "; the page follows." << '\n'
          << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::SetHeader(std::string_view name,
                                                    std::string ReportHeader::*field,
                                                    std::string_view argument) {
    if (m_report == nullptr) {
        return Fail("no report in this run");
    }
    const std::string& text = m_report->Header().*field = HeaderText(argument);
    m_out << "Report header: " << name << " [" << ConsoleView::RenderLine(text) << "]." << '\n'
          << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::Help() {
    m_out
        << "Commands:\n"
           "  status paged|absent|queue|terminated  status for the next status transfers\n"
           "  status-plan [PLAN|clear]              add a status plan (queue:10s,paged),\n"
           "                                        drop them all, or list them\n"
           "  delete N                              delete the answered call in position N "
           "(0-9)\n"
           "  clear                                 empty every position\n"
           "  calls                                 list the stored calls\n"
           "  fault [WHEN] SPEC                     a fault: nak-block:N, nak-block:every=N,\n"
           "                                        refuse-select:N, silent:MS, delay:MS,\n"
           "                                        bad-check:N, no-eot:N, drop-line:MS;\n"
           "                                        WHEN: after 10s, after 1500ms, at exchange N\n"
           "  fault clear                           forget the faults waiting or acting\n"
           "  faults                                list the faults waiting, acting and taken\n"
           "  report FILE.html                      write the run's report now (FILE.json, "
           "FILE.html)\n"
           "  site|central-make|central-firmware|engineer|remarks TEXT\n"
           "                                        the report's header; no text clears it\n"
           "  quit                                  close the port and end\n"
        << std::flush;
    return Outcome::Done;
}

ConsoleCommands::Outcome ConsoleCommands::Fail(std::string_view message) {
    m_err << "espa-emulator: " << message << '\n' << std::flush;
    return Outcome::Failed;
}

}  // namespace espa
