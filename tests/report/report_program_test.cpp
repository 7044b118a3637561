// The real espa-report on files a run left: the page it writes, checked by xmllint as any XML
// reader would, and the starts it refuses.
#include <gtest/gtest.h>

#include <QtGlobal>

#include "emulator_program.h"
#include "report/report_json.h"
#include "sample_run_report.h"

namespace espa::test {
namespace {

const std::string kReport = ESPA_REPORT_PATH;

// The value of an XPath expression over `file`; the page's elements are in the XHTML namespace
// and the charts' in SVG's, hence local-name() in the expressions.
std::string XPath(const std::filesystem::path& file, const std::string& expression) {
    std::string value = RunToEnd("xmllint", {"--xpath", expression, file.string()}, kDeadline).out;
    return value.ends_with('\n') ? value.substr(0, value.size() - 1) : value;
}

std::string CellAfter(const std::string& heading) {
    return "string(//*[local-name()='th' and .='" + heading + "']/following-sibling::*[1])";
}

// No display anywhere: the program must find its own platform.
class ReportProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        WriteFile(json, ReportToJson(SampleRunReport()));
    }
    TempDir dir;
    const std::filesystem::path json = dir.path() / "run.json";
    const std::filesystem::path page = dir.path() / "run.html";
};

TEST_F(ReportProgram, PageIsWellFormedSelfContainedAndHoldsTheFigures) {
    const ProgramResult run = RunToEnd(kReport, {json.string()}, kDeadline);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(RunToEnd("xmllint", {"--noout", page.string()}, kDeadline).exitCode, 0);
    const std::pair<std::string, std::string> figures[] = {
        {"count(//*[local-name()='svg' and namespace-uri()='http://www.w3.org/2000/svg'])", "3"},
        {"count(//*[local-name()='script'] | //@src | //@href)", "0"},
        {"count(//*[local-name()='svg']//*[local-name()='path' or local-name()='polyline'])>3",
         "true"},
        {CellAfter("Site"), "St. Mary's <Ward 3> & \"B\""},
        {CellAfter("Calls"), "12"},
        {CellAfter("Status transfers"), "9"},
        {CellAfter("NAKs by the central"), "1"},
        {CellAfter("Check character errors"), "1"},
        {CellAfter("Start"), "2026-12-07 07:15:50 UTC"},
        {"string(//*[local-name()='td' and @class='good'])", "recovered after 1 try in 130 ms"},
        {"string(//*[local-name()='td' and @class='bad'])", "did not recover"},
        {"string(//*[local-name()='td' and .=\"paging system's ACK of a select\"]/../*[3])", "4.1"},
    };
    for (const auto& [expression, value] : figures) {
        EXPECT_EQ(XPath(page, expression), value) << expression;
    }
}

TEST_F(ReportProgram, EachRefusalIsOneLineAndWritesNoPage) {
    WriteFile(dir.path() / "cut.json", "{\"program\": ");
    WriteFile(dir.path() / "array.json", "[]");
    const std::string folder = dir.path().string() + "/";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;  // how they start
    } cases[] = {
        {{"--version"}, 0, "espa-report " ESPA_VERSION_TEXT "\n", ""},
        {{"--help"}, 0, "Usage:", ""},
        {{}, 2, "", "espa-report: expected one FILE.json; see --help\n"},
        {{"--bogus", json.string()}, 2, "", "espa-report: Unknown option 'bogus'.\n"},
        {{folder + "none.json"}, 2, "", "espa-report: " + folder + "none.json: No such file"},
        {{folder + "cut.json"}, 2, "", "espa-report: " + folder + "cut.json: not JSON: parse"},
        {{folder + "array.json"}, 2, "", "espa-report: " + folder + "array.json: the file: expe"},
        {{json.string(), "-o", folder + "no/run.html"}, 1, "", "espa-report: " + folder + "no/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err + c.out);
        const ProgramResult run = RunToEnd(kReport, c.args, kDeadline);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.out.starts_with(c.out) && run.out.empty() == c.out.empty()) << run.out;
        EXPECT_TRUE(run.err.starts_with(c.err) && Count(run.err, "\n") == (c.err.empty() ? 0 : 1))
            << run.err;
        EXPECT_FALSE(std::filesystem::exists(page));
    }
}

}  // namespace
}  // namespace espa::test
