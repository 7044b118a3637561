#include "report/report_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "sample_run_report.h"

namespace espa::test {
namespace {

using Json = nlohmann::ordered_json;

std::optional<RunReport> Parse(const std::string& text, std::string& error) {
    error.clear();
    return ParseReportJson(text, error);
}

TEST(ReportJson, EveryFieldReadsBackAsWritten) {
    const RunReport report = SampleRunReport();
    const std::string text = ReportToJson(report);
    EXPECT_NE(text.find("\"start\": \"2026-12-07T07:15:50.250000Z\""), std::string::npos) << text;
    std::string error;
    const std::optional<RunReport> back = Parse(text, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, report);
}

TEST(ReportJson, AWrongFileGetsOneErrorNamingWhereItIsWrong) {
    struct Case {
        const char* pointer;  // empty: the text itself replaces the file
        Json value;           // null: the key is removed
        const char* error;
    };
    const Case cases[] = {
        {"", "{\"program\": ", "not JSON: parse error at line 1, column 13"},
        {"", "[1e999]", "not JSON: number overflow"},
        {"", Json::array(), "the file: expected a JSON object"},
        {"/program", nullptr, "program: missing"},
        {"/header", Json::array(), "header: expected an object"},
        {"/header/site", "\xC4\x80", "header.site: holds a character that is not Latin-1"},
        {"/start", "2026-12-07 07:15:50.250000Z", "start: expected a UTC time like"},
        {"/end", "2026-02-30T07:15:50.250000Z", "end: expected a UTC time like"},
        {"/totals/calls", "12", "totals.calls: expected a whole number"},
        {"/totals/status_transfers/1", 1.5, "totals.status_transfers.1: expected a whole number"},
        {"/answer_times/0/kind", "guess", "answer_times[0].kind: unknown answer \"guess\""},
        {"/answer_times/1/samples_us/1", -1.0, "answer_times[1].samples_us[1]: expected a whole"},
        {"/faults/0/fault", "nak-block:x", "faults[0].fault: "},
        {"/faults/1/result", "fine", "faults[1].result: unknown value \"fine\""},
        {"/faults/0/tries", 1LL << 40, "faults[0].tries: number out of range"},
        {"/hints", nullptr, "hints: missing"},
        {"/hints/0", "x", "hints[0]: expected an object"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointer + std::string(" ") + c.error);
        std::string text = c.value.is_string() ? c.value.get<std::string>() : c.value.dump();
        if (*c.pointer != '\0') {
            Json file = Json::parse(ReportToJson(SampleRunReport()));
            const Json::json_pointer at(c.pointer);
            c.value.is_null() ? (void)file[at.parent_pointer()].erase(at.back())
                              : (void)(file[at] = c.value);
            text = file.dump();
        }
        std::string error;
        EXPECT_FALSE(Parse(text, error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

// The monitor injects no faults, so its file has none to tell.
TEST(ReportJson, AFileWithoutFaultsOrSlipsIsARunWithoutThem) {
    Json file = Json::parse(ReportToJson(SampleRunReport()));
    file.erase("faults");
    file.erase("central_slips");
    std::string error;
    const std::optional<RunReport> back = Parse(file.dump(), error);
    ASSERT_TRUE(back) << error;
    EXPECT_TRUE(back->faults.empty() && back->centralSlips.empty());
    EXPECT_EQ(back->totals, SampleRunReport().totals);
}

}  // namespace
}  // namespace espa::test
