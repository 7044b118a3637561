// The window lives in a module of its own, found beside the program or, installed, in its library
// folder; the program says so when it cannot.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "emulator_program.h"

namespace espa::test {
namespace {

namespace fs = std::filesystem;

class WindowModule : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }
    TempDir dir;
};

// The line is served as headless, and a stop signal closes the port once, as the close box would.
TEST_F(WindowModule, WindowedRunLoadsTheModuleFromTheBuildTreeAndServesTheLine) {
    PtyPair line;
    WriteFile(dir.path() / "espa.set", EspaSet(2));
    ChildProcess program(kEmulator,
                         {"--app-dir", dir.path().string(), "--port", "Com1=" + line.SlavePath()});
    // No screen lines to wait for: the window has the port once the line is answered.
    std::string answer;
    for (int attempt = 0; attempt < 20 && answer.empty(); ++attempt) {
        line.Write(kSelect);
        answer = line.Read(1, std::chrono::milliseconds(500));
    }
    EXPECT_EQ(answer, frames::Ch(frames::ACK));
    const std::string maps = ReadFile("/proc/" + std::to_string(program.Pid()) + "/maps");
    EXPECT_NE(maps.find("espa-emulator-window"), std::string::npos) << maps;
    EXPECT_NE(maps.find("libQt6Widgets"), std::string::npos) << maps;
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    const std::string log = ReadLogFolder(dir.path() / "Log");
    EXPECT_EQ(Count(log, std::string(kOpenedLine) + "\r\n"), 1) << log;
    EXPECT_EQ(Count(log, "Comport closed by software.\r\n"), 1) << log;
}

// The program copied into a bin/ folder of its own with what the case puts beside it: a windowed
// start fails with status 2 on the module, or, with the module found, on the option it reads. A
// module missing is told in one line that points at the way round it.
TEST_F(WindowModule, ProgramLooksForTheModuleBesideItAndInItsLibraryFolder) {
    const fs::path module(ESPA_WINDOW_MODULE_PATH), bin = dir.path() / "bin";
    const fs::path installed = fs::path(ESPA_WINDOW_MODULE_RELATIVE_DIR) / module.filename();
    fs::create_directories(bin / installed.parent_path());
    fs::copy_file(kEmulator, bin / "espa-emulator");
    for (const auto& [step, says] : {std::pair{0, "cannot find the window module"},
                                     {1, "cannot load the window module"},
                                     {2, "no-such-option"}}) {
        SCOPED_TRACE(says);
        if (step == 1) {
            WriteFile(bin / module.filename(), "not a library");
        } else if (step == 2) {
            fs::remove(bin / module.filename());
            fs::copy_file(module, bin / installed);
        }
        const ProgramResult run =
            RunToEnd((bin / "espa-emulator").string(), {"--no-such-option"}, kDeadline);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        const bool found = step == 2;
        EXPECT_EQ(run.err.find("window module") == std::string::npos, found) << run.err;
        EXPECT_EQ(Count(run.err, "\n") == 1 && Count(run.err, "--headless") == 1, !found);
    }
}

}  // namespace
}  // namespace espa::test
