#include "report_page.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>

#include "core/latin1_text.h"
#include "line/frame_text.h"
#include "report/report_json.h"

namespace espa {
namespace {

// Screen and paper alike: tables that do not split across pages where it can be helped, and on
// paper no background colours, which printers leave out anyway.
constexpr const char* kStyle = R"(
body { font-family: sans-serif; font-size: 11pt; margin: 2em auto; max-width: 60em; color: #111; }
h1 { font-size: 18pt; border-bottom: 2px solid #333; }
h2 { font-size: 13pt; margin-top: 1.6em; border-bottom: 1px solid #999; }
table { border-collapse: collapse; margin: 0.5em 0; page-break-inside: avoid; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }
th { background: #eee; }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td code { white-space: nowrap; }
table.fill td { min-width: 28em; height: 1.4em; white-space: pre-wrap; }
.good { color: #060; } .bad { color: #a00; } .none { color: #a60; }
code { font-size: 10pt; }
svg { display: block; max-width: 100%; height: auto; margin: 0.8em 0; page-break-inside: avoid; }
@media print {
  body { margin: 0; max-width: none; font-size: 10pt; }
  th { background: none; }
  h2 { page-break-after: avoid; }
}
)";

// Latin-1 text as UTF-8 fit for XML content and attribute values: markup characters escaped and
// control bytes, which XML cannot carry even escaped, named ("[SOH]"); tabs and line ends kept.
std::string XmlText(std::string_view latin1) {
    std::string text;
    for (const char c : latin1) {
        switch (c) {
            case '&':
                text += "&amp;";
                break;
            case '<':
                text += "&lt;";
                break;
            case '>':
                text += "&gt;";
                break;
            case '"':
                text += "&quot;";
                break;
            case '\'':
                text += "&#39;";
                break;
            case '\t':
            case '\n':
            case '\r':
                text += c;
                break;
            default:
                // Named too: DEL and the C1 range, which XML would carry but nobody could see.
                text += ByteText(std::string_view(&c, 1));
        }
    }
    return Utf8FromLatin1(text);
}

std::string Element(const char* tag, const std::string& content, const char* cls = nullptr) {
    return std::string("<") + tag + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" +
           content + "</" + tag + ">";
}

// The column headings of a table.
std::string HeadingRow(const std::vector<std::string>& headings) {
    std::string row;
    for (const std::string& heading : headings) {
        row += Element("th", XmlText(heading));
    }
    return Element("tr", row) + "\n";
}

// A row headed by its label; `value` is markup already.
std::string LabelRow(const std::string& label, const std::string& value,
                     const char* cls = nullptr) {
    return Element("tr", Element("th", XmlText(label)) + Element("td", value, cls)) + "\n";
}

std::string NumberRow(const std::string& label, long value) {
    return LabelRow(label, std::to_string(value), "n");
}

std::string Table(const std::string& rows, const char* cls = nullptr) {
    return Element("table", "\n" + rows, cls) + "\n";
}

std::string Ms(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(us) / 1000.0);
    return text;
}

// "2026-12-07 07:15:50 UTC": whole seconds are what a reader of the page compares with a clock.
std::string Stamp(std::int64_t utcUs) {
    const std::string iso = IsoTimeText(utcUs);
    return iso.substr(0, 10) + " " + iso.substr(11, 8) + " UTC";
}

// Where in the run something happened, "+12.250 s": easier to follow than a time of day.
std::string Offset(std::int64_t utcUs, std::int64_t startUs) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3f s", static_cast<double>(utcUs - startUs) / 1e6);
    return text;
}

std::string Header(const ReportHeader& header) {
    const std::pair<const char*, const std::string*> rows[] = {
        {"Site", &header.site},
        {"Central make", &header.centralMake},
        {"Central firmware", &header.centralFirmware},
        {"Engineer", &header.engineer},
        {"Remarks", &header.remarks},
    };
    std::string html;
    for (const auto& [label, value] : rows) {
        html += LabelRow(label, XmlText(*value));
    }
    // Left blank, the cells are lines to write on when the page is printed.
    return Table(html, "fill");
}

std::string Settings(const RunReport& r) {
    const std::string html = LabelRow("Program", XmlText(r.program + " " + r.version)) +
                             LabelRow("Paging system make", XmlText(r.make)) +
                             LabelRow("Port", Element("code", XmlText(r.port))) +
                             LabelRow("Line settings", XmlText(r.lineSettings)) +
                             LabelRow("Start", Stamp(r.startUs)) + LabelRow("End", Stamp(r.endUs)) +
                             LabelRow("Duration", Offset(r.endUs, r.startUs).substr(1));
    return Element("h2", "Line and time span") + "\n" + Table(html);
}

// The make as the settings name it, so that status codes can be given their words.
std::optional<Emulation> MakeOf(const std::string& name) {
    for (std::size_t i = 0; i < kEmulationNames.size(); ++i) {
        if (kEmulationNames[i] == name) {
            return static_cast<Emulation>(i);
        }
    }
    return std::nullopt;
}

std::string Totals(const RunReport& r) {
    const LineTotals& t = r.totals;
    long transfers = 0;
    for (const auto& [code, count] : t.transfersByCode) {
        transfers += count;
    }
    std::string html = NumberRow("Calls", t.calls) +
                       NumberRow("Status requests", t.statusRequests) +
                       NumberRow("Polls", t.polls) + NumberRow("Status transfers", transfers);
    const std::optional<Emulation> make = MakeOf(r.make);
    for (const auto& [code, count] : t.transfersByCode) {
        const std::string word = make ? StatusCodeName(code, *make) : "";
        html +=
            NumberRow("\xA0\xA0status " + code + (word.empty() ? "" : " (" + word + ")"), count);
    }
    html += NumberRow("NAKs by the paging system", t.naksByPagingSystem) +
            NumberRow("NAKs by the central", t.naksByCentral) + NumberRow("Timeouts", t.timeouts) +
            NumberRow("Check character errors", t.checkErrors);
    return Element("h2", "Totals") + "\n" + Table(html);
}

const char* VerdictClass(FaultVerdict::Result result) {
    switch (result) {
        case FaultVerdict::Result::Recovered:
            return "good";
        case FaultVerdict::Result::NotRecovered:
            return "bad";
        case FaultVerdict::Result::NoReaction:
            break;
    }
    return "none";
}

std::string Faults(const RunReport& r) {
    std::string html = Element("h2", "Faults and the central's reactions") + "\n";
    if (r.faults.empty()) {
        return html + Element("p", "No faults were injected.") + "\n";
    }
    std::string rows = HeadingRow({"#", "Fault", "At", "The central's reaction", "Verdict"});
    int number = 0;
    for (const FaultVerdict& v : r.faults) {
        rows += Element("tr", Element("td", std::to_string(++number), "n") +
                                  Element("td", Element("code", XmlText(v.fault.text)) +
                                                    (v.fault.detail.empty()
                                                         ? ""
                                                         : "<br/>" + XmlText(v.fault.detail))) +
                                  Element("td", Offset(v.fault.timeUs, r.startUs), "n") +
                                  Element("td", XmlText(v.reaction)) +
                                  Element("td", XmlText(VerdictText(v)), VerdictClass(v.result))) +
                "\n";
    }
    return html + Table(rows);
}

std::string List(const char* title, const std::vector<std::string>& items, const char* none) {
    std::string html = Element("h2", title) + "\n";
    if (items.empty()) {
        return html + Element("p", none) + "\n";
    }
    std::string list;
    for (const std::string& item : items) {
        list += Element("li", item) + "\n";
    }
    return html + Element("ul", "\n" + list) + "\n";
}

std::string Slips(const RunReport& r) {
    std::vector<std::string> items;
    std::transform(r.centralSlips.begin(), r.centralSlips.end(), std::back_inserter(items),
                   [](const std::string& slip) { return XmlText(slip); });
    return List("The central's slips", items, "None seen.");
}

std::string Hints(const RunReport& r) {
    std::vector<std::string> items;
    for (const Hint& hint : r.hints) {
        items.push_back(
            Offset(hint.timeUs, r.startUs) + ": " + XmlText(hint.text) +
            (hint.evidence.empty() ? "" : " " + Element("code", XmlText(HexBytes(hint.evidence)))));
    }
    return List("Hints", items, "None: the line looked healthy.");
}

std::string AnswerTimesSection(const RunReport& r, const std::vector<std::string>& charts) {
    std::string html = Element("h2", "Answer times") + "\n";
    if (r.answers.empty()) {
        html += Element("p", "No answers were timed.") + "\n";
    } else {
        std::string rows =
            HeadingRow({"Answer", "Count", "Min ms", "Median ms", "95% ms", "Max ms"});
        for (const AnswerTimes& a : r.answers) {
            const Distribution& d = a.times;
            rows +=
                Element("tr",
                        Element("td", XmlText(AnswerName(a.kind))) +
                            Element("td", std::to_string(d.count), "n") +
                            Element("td", Ms(d.minUs), "n") + Element("td", Ms(d.medianUs), "n") +
                            Element("td", Ms(d.p95Us), "n") + Element("td", Ms(d.maxUs), "n")) +
                "\n";
        }
        html += Table(rows);
    }
    for (const std::string& chart : charts) {
        html += chart + "\n";
    }
    return html;
}

}  // namespace

std::string ReportPage(const RunReport& report, const std::vector<std::string>& charts) {
    const std::string title =
        "Commissioning report" + (report.header.site.empty() ? "" : ": " + report.header.site);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\" xml:lang=\"en\">\n"
           "<head>\n<meta charset=\"UTF-8\"/>\n" +
           Element("title", XmlText(title)) + "\n" + Element("style", kStyle) +
           "\n</head>\n<body>\n" + Element("h1", XmlText(title)) + "\n" + Header(report.header) +
           Settings(report) + Totals(report) + Faults(report) + Slips(report) + Hints(report) +
           AnswerTimesSection(report, charts) + "</body>\n</html>\n";
}

}  // namespace espa
