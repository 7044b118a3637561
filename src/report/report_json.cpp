#include "report/report_json.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "core/latin1_text.h"
#include "faults/fault_text.h"

namespace espa {
namespace {

using Json = nlohmann::ordered_json;

// The words a reader of the file sees for each value of the enums; the same words read back.
template <typename E, std::size_t N>
using Names = std::array<std::pair<E, const char*>, N>;

constexpr Names<FaultVerdict::Result, 3> kResults{{
    {FaultVerdict::Result::Recovered, "recovered"},
    {FaultVerdict::Result::NotRecovered, "not-recovered"},
    {FaultVerdict::Result::NoReaction, "no-reaction"},
}};
constexpr Names<HintCause, 10> kHintCauses{{
    {HintCause::CheckRule, "check-rule"},
    {HintCause::LineSettings, "line-settings"},
    {HintCause::SilentLine, "silent-line"},
    {HintCause::Echo, "echo"},
    {HintCause::OtherAddress, "other-address"},
    {HintCause::BytesAfterCheck, "bytes-after-check"},
    {HintCause::TelnetNegotiation, "telnet-negotiation"},
    {HintCause::RequestUnmatched, "request-unmatched"},
    {HintCause::NoPoll, "no-poll"},
    {HintCause::CtsInactive, "cts-inactive"},
}};

template <typename E, std::size_t N>
const char* NameOf(const Names<E, N>& names, E value) {
    for (const auto& [v, name] : names) {
        if (v == value) {
            return name;
        }
    }
    return "";
}

Json Text(std::string_view latin1) {
    return Json(Utf8FromLatin1(latin1));
}

Json HeaderJson(const ReportHeader& header) {
    Json j = Json::object();
    j["site"] = Text(header.site);
    j["central_make"] = Text(header.centralMake);
    j["central_firmware"] = Text(header.centralFirmware);
    j["engineer"] = Text(header.engineer);
    j["remarks"] = Text(header.remarks);
    return j;
}

Json AnswerJson(const AnswerTimes& answer) {
    Json j = Json::object();
    j["kind"] = AnswerName(answer.kind);
    j["count"] = answer.times.count;
    j["min_us"] = answer.times.minUs;
    j["median_us"] = answer.times.medianUs;
    j["p95_us"] = answer.times.p95Us;
    j["max_us"] = answer.times.maxUs;
    j["samples_us"] = answer.samplesUs;
    return j;
}

Json FaultJson(const FaultVerdict& verdict) {
    const FaultEvent& fault = verdict.fault;
    Json j = Json::object();
    j["fault"] = Text(fault.text);
    j["detail"] = Text(fault.detail);
    j["start"] = IsoTimeText(fault.timeUs);
    j["end"] = IsoTimeText(fault.endUs);
    j["result"] = NameOf(kResults, verdict.result);
    j["tries"] = verdict.tries;
    j["recovery_us"] = verdict.recoveryUs;
    j["reaction"] = Text(verdict.reaction);
    return j;
}

Json HintJson(const Hint& hint) {
    Json j = Json::object();
    j["cause"] = NameOf(kHintCauses, hint.cause);
    j["time"] = IsoTimeText(hint.timeUs);
    j["text"] = Text(hint.text);
    j["evidence"] = Text(hint.evidence);
    return j;
}

// Reading: every accessor names the key it was after, so that the one error a reader gets says
// where the file is wrong. The first fault found ends the reading.
struct BadReport {
    std::string what;
};

[[noreturn]] void Fail(const std::string& at, const std::string& what) {
    throw BadReport{at + ": " + what};
}

std::string Key(const std::string& at, const char* key) {
    return at.empty() ? key : at + "." + key;
}

const Json& Member(const Json& object, const std::string& at, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) {
        Fail(Key(at, key), "missing");
    }
    return *it;
}

const Json& OfType(const Json& value, const std::string& at, Json::value_t type,
                   const char* expected) {
    if (value.type() != type) {
        Fail(at, std::string("expected ") + expected);
    }
    return value;
}

const Json& ObjectAt(const Json& object, const std::string& at, const char* key) {
    return OfType(Member(object, at, key), Key(at, key), Json::value_t::object, "an object");
}

const Json& ArrayAt(const Json& object, const std::string& at, const char* key) {
    return OfType(Member(object, at, key), Key(at, key), Json::value_t::array, "an array");
}

std::string Latin1(const Json& value, const std::string& at) {
    OfType(value, at, Json::value_t::string, "a text");
    std::optional<std::string> bytes = Latin1FromUtf8(value.get_ref<const std::string&>());
    if (!bytes) {
        Fail(at, "holds a character that is not Latin-1");
    }
    return *std::move(bytes);
}

std::string TextAt(const Json& object, const std::string& at, const char* key) {
    return Latin1(Member(object, at, key), Key(at, key));
}

std::int64_t Whole(const Json& value, const std::string& at) {
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() >
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        Fail(at, "number too large");
    }
    if (!value.is_number_integer()) {
        Fail(at, "expected a whole number");
    }
    return value.get<std::int64_t>();
}

std::int64_t WholeAt(const Json& object, const std::string& at, const char* key) {
    return Whole(Member(object, at, key), Key(at, key));
}

int IntAt(const Json& object, const std::string& at, const char* key) {
    const std::int64_t value = WholeAt(object, at, key);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        Fail(Key(at, key), "number out of range");
    }
    return static_cast<int>(value);
}

std::optional<std::int64_t> IsoTime(const std::string& text) {
    // Every field has its fixed width, so the digits alone are checked and then read.
    constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd.ddddddZ";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                             : text[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long micro = 0;
    std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%6ldZ", &year, &month, &day, &hour, &minute,
                &second, &micro);
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    const auto time = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    return duration_cast<microseconds>(time.time_since_epoch()).count() + micro;
}

std::int64_t TimeAt(const Json& object, const std::string& at, const char* key) {
    const std::string text = TextAt(object, at, key);
    const std::optional<std::int64_t> us = IsoTime(text);
    if (!us) {
        Fail(Key(at, key),
             "expected a UTC time like 2026-12-07T07:15:50.250000Z, got \"" + text + "\"");
    }
    return *us;
}

template <typename E, std::size_t N>
E NamedAt(const Names<E, N>& names, const Json& object, const std::string& at, const char* key) {
    const std::string name = TextAt(object, at, key);
    for (const auto& [value, word] : names) {
        if (name == word) {
            return value;
        }
    }
    Fail(Key(at, key), "unknown value \"" + name + "\"");
}

AnswerKind AnswerKindAt(const Json& object, const std::string& at) {
    const std::string name = TextAt(object, at, "kind");
    for (int i = 0; i < kAnswerKinds; ++i) {
        if (name == AnswerName(static_cast<AnswerKind>(i))) {
            return static_cast<AnswerKind>(i);
        }
    }
    Fail(Key(at, "kind"), "unknown answer \"" + name + "\"");
}

std::string Item(const std::string& at, const char* key, std::size_t index) {
    return Key(at, key) + "[" + std::to_string(index) + "]";
}

// Calls `read(item, path)` for every object in the array under `key`.
template <typename Read>
void EachObject(const Json& object, const char* key, Read read) {
    const Json& items = ArrayAt(object, "", key);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string at = Item("", key, i);
        read(OfType(items[i], at, Json::value_t::object, "an object"), at);
    }
}

ReportHeader ReadHeader(const Json& root) {
    const std::string at = "header";
    const Json& j = ObjectAt(root, "", "header");
    return {TextAt(j, at, "site"), TextAt(j, at, "central_make"), TextAt(j, at, "central_firmware"),
            TextAt(j, at, "engineer"), TextAt(j, at, "remarks")};
}

LineTotals ReadTotals(const Json& root) {
    const std::string at = "totals";
    const Json& j = ObjectAt(root, "", "totals");
    LineTotals totals;
    totals.calls = WholeAt(j, at, "calls");
    totals.statusRequests = WholeAt(j, at, "status_requests");
    totals.polls = WholeAt(j, at, "polls");
    const Json& transfers = ObjectAt(j, at, "status_transfers");
    for (const auto& [code, count] : transfers.items()) {
        const std::string key = Key(at, "status_transfers") + "." + code;
        const std::optional<std::string> bytes = Latin1FromUtf8(code);
        if (!bytes) {
            Fail(key, "a status code that is not Latin-1");
        }
        totals.transfersByCode[*bytes] = Whole(count, key);
    }
    totals.naksByPagingSystem = WholeAt(j, at, "naks_by_paging_system");
    totals.naksByCentral = WholeAt(j, at, "naks_by_central");
    totals.timeouts = WholeAt(j, at, "timeouts");
    totals.checkErrors = WholeAt(j, at, "check_errors");
    return totals;
}

AnswerTimes ReadAnswer(const Json& j, const std::string& at) {
    AnswerTimes answer;
    answer.kind = AnswerKindAt(j, at);
    const std::int64_t count = WholeAt(j, at, "count");
    if (count < 0) {
        Fail(Key(at, "count"), "negative");
    }
    answer.times = {static_cast<std::size_t>(count), WholeAt(j, at, "min_us"),
                    WholeAt(j, at, "median_us"), WholeAt(j, at, "p95_us"),
                    WholeAt(j, at, "max_us")};
    const Json& samples = ArrayAt(j, at, "samples_us");
    for (std::size_t i = 0; i < samples.size(); ++i) {
        answer.samplesUs.push_back(Whole(samples[i], Item(at, "samples_us", i)));
    }
    return answer;
}

FaultVerdict ReadFault(const Json& j, const std::string& at) {
    FaultVerdict verdict;
    FaultEvent& fault = verdict.fault;
    fault.text = TextAt(j, at, "fault");
    // The text is the fault as the user would write it, so it is read as the user's is.
    std::string error;
    const std::optional<FaultSpec> spec = ParseFaultSpec(fault.text, error);
    if (!spec) {
        Fail(Key(at, "fault"), error);
    }
    fault.spec = *spec;
    fault.detail = TextAt(j, at, "detail");
    fault.timeUs = TimeAt(j, at, "start");
    fault.endUs = TimeAt(j, at, "end");
    verdict.result = NamedAt(kResults, j, at, "result");
    verdict.tries = IntAt(j, at, "tries");
    verdict.recoveryUs = WholeAt(j, at, "recovery_us");
    verdict.reaction = TextAt(j, at, "reaction");
    return verdict;
}

Hint ReadHint(const Json& j, const std::string& at) {
    return {NamedAt(kHintCauses, j, at, "cause"), TimeAt(j, at, "time"), TextAt(j, at, "text"),
            TextAt(j, at, "evidence")};
}

RunReport ReadReport(const Json& root) {
    OfType(root, "the file", Json::value_t::object, "a JSON object");
    RunReport report;
    report.program = TextAt(root, "", "program");
    report.version = TextAt(root, "", "version");
    report.header = ReadHeader(root);
    report.make = TextAt(root, "", "make");
    report.port = TextAt(root, "", "port");
    report.lineSettings = TextAt(root, "", "line_settings");
    report.startUs = TimeAt(root, "", "start");
    report.endUs = TimeAt(root, "", "end");
    report.totals = ReadTotals(root);
    EachObject(root, "answer_times", [&](const Json& j, const std::string& at) {
        report.answers.push_back(ReadAnswer(j, at));
    });
    if (root.contains("faults")) {
        EachObject(root, "faults", [&](const Json& j, const std::string& at) {
            report.faults.push_back(ReadFault(j, at));
        });
    }
    if (root.contains("central_slips")) {
        const Json& slips = ArrayAt(root, "", "central_slips");
        for (std::size_t i = 0; i < slips.size(); ++i) {
            report.centralSlips.push_back(Latin1(slips[i], Item("", "central_slips", i)));
        }
    }
    EachObject(root, "hints", [&](const Json& j, const std::string& at) {
        report.hints.push_back(ReadHint(j, at));
    });
    return report;
}

}  // namespace

Json TotalsJson(const LineTotals& totals) {
    Json transfers = Json::object();
    for (const auto& [code, count] : totals.transfersByCode) {
        transfers[Utf8FromLatin1(code)] = count;
    }
    Json j = Json::object();
    j["calls"] = totals.calls;
    j["status_requests"] = totals.statusRequests;
    j["polls"] = totals.polls;
    j["status_transfers"] = transfers;
    j["naks_by_paging_system"] = totals.naksByPagingSystem;
    j["naks_by_central"] = totals.naksByCentral;
    j["timeouts"] = totals.timeouts;
    j["check_errors"] = totals.checkErrors;
    return j;
}

std::string IsoTimeText(std::int64_t utcUs) {
    using namespace std::chrono;
    const sys_time<microseconds> time{microseconds(utcUs)};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[40];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%06ldZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
        static_cast<long>(clock.seconds().count()), static_cast<long>(clock.subseconds().count()));
    return text;
}

std::string ReportToJson(const RunReport& report) {
    Json j = Json::object();
    j["program"] = Text(report.program);
    j["version"] = Text(report.version);
    j["header"] = HeaderJson(report.header);
    j["make"] = Text(report.make);
    j["port"] = Text(report.port);
    j["line_settings"] = Text(report.lineSettings);
    j["start"] = IsoTimeText(report.startUs);
    j["end"] = IsoTimeText(report.endUs);
    j["totals"] = TotalsJson(report.totals);
    j["answer_times"] = Json::array();
    for (const AnswerTimes& answer : report.answers) {
        j["answer_times"].push_back(AnswerJson(answer));
    }
    j["faults"] = Json::array();
    for (const FaultVerdict& verdict : report.faults) {
        j["faults"].push_back(FaultJson(verdict));
    }
    j["central_slips"] = Json::array();
    for (const std::string& slip : report.centralSlips) {
        j["central_slips"].push_back(Text(slip));
    }
    j["hints"] = Json::array();
    for (const Hint& hint : report.hints) {
        j["hints"].push_back(HintJson(hint));
    }
    return j.dump(2, ' ', true) + "\n";
}

std::optional<RunReport> ParseReportJson(const std::string& text, std::string& error) {
    try {
        return ReadReport(Json::parse(text));
    } catch (const Json::exception& e) {
        // A syntax error or a number too large for any type. The parser's message names the
        // line and column; its "[json.exception...]" tag does not help the reader.
        const std::string what = e.what();
        const std::size_t tag = what.find("] ");
        error = "not JSON: " + (tag == std::string::npos ? what : what.substr(tag + 2));
        return std::nullopt;
    } catch (const BadReport& bad) {
        error = bad.what;
        return std::nullopt;
    }
}

}  // namespace espa
