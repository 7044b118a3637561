// The window lives in a module of its own: a headless run never maps the widget and GUI
// libraries, and a windowed run finds the module beside the program or, installed, in its
// library folder, and says so when it cannot.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "emulator_program.h"
#include "espa_frames.h"
#include "pty_pair.h"

namespace espa::test {
namespace {

constexpr const char* kModuleName = "espa-emulator-window";

std::string MapsOf(pid_t pid) {
    return ReadFile("/proc/" + std::to_string(pid) + "/maps");
}

TEST(WindowModule, HeadlessRunMapsNoWindowLibrary) {
    PtyPair line;
    EmulatorRun emulator({"--port", "Com1=" + line.SlavePath()});
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    const std::string maps = MapsOf(emulator.process.Pid());
    // The maps are those of the running program: it has Qt Core and its serial port.
    ASSERT_NE(maps.find("libQt6SerialPort"), std::string::npos) << maps;
    for (const char* library : {"libQt6Widgets", "libQt6Gui", kModuleName}) {
        EXPECT_EQ(maps.find(library), std::string::npos) << library;
    }
}

#ifdef ESPA_WINDOW_MODULE_PATH
// The same program with its window, on the offscreen platform: the line is served as headless,
// and a stop signal closes the port once, as the close box would.
TEST(WindowModule, WindowedRunLoadsTheModuleFromTheBuildTreeAndServesTheLine) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TempDir dir;
    PtyPair line;
    WriteFile(dir.path() / "espa.set", EspaSet(2));
    ChildProcess program(EmulatorPath(),
                         {"--app-dir", dir.path().string(), "--port", "Com1=" + line.SlavePath()});
    // No screen lines to wait for: the window has the port once the line is answered.
    std::string answer;
    for (int attempt = 0; attempt < 20 && answer.empty(); ++attempt) {
        line.Write(frames::Select());
        answer = line.Read(1, std::chrono::milliseconds(500));
    }
    EXPECT_EQ(answer, frames::Ch(frames::ACK));
    const std::string maps = MapsOf(program.Pid());
    EXPECT_NE(maps.find(kModuleName), std::string::npos) << maps;
    EXPECT_NE(maps.find("libQt6Widgets"), std::string::npos) << maps;

    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    const std::string log = ReadLogFolder(dir.path() / "Log");
    EXPECT_EQ(ChildProcess::CountOf(log, std::string(kOpenedLine) + "\r\n"), 1) << log;
    EXPECT_EQ(ChildProcess::CountOf(log, "Comport closed by software.\r\n"), 1) << log;
}

// The program copied into a bin/ folder of its own, as an installation places it, with what the
// case puts beside it: a windowed start fails with status 2 on the module, or, with the module
// found, on the bad option that the module reads.
TEST(WindowModule, ProgramLooksForTheModuleBesideItAndInItsLibraryFolder) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path module(ESPA_WINDOW_MODULE_PATH);
    struct Case {
        const char* name;
        std::filesystem::path moduleAt;  // relative to bin/; empty: no module anywhere
        bool realModule;
        std::string says;
    };
    for (const Case& c : {
             Case{"no module", {}, false, "cannot find the window module"},
             Case{"not a library", module.filename(), false, "cannot load the window module"},
             Case{"installed",
                  std::filesystem::path(ESPA_WINDOW_MODULE_RELATIVE_DIR) / module.filename(), true,
                  "no-such-option"},
         }) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::filesystem::path bin = dir.path() / "bin";
        std::filesystem::create_directories(bin);
        std::filesystem::copy_file(EmulatorPath(), bin / "espa-emulator");
        if (!c.moduleAt.empty()) {
            std::filesystem::create_directories((bin / c.moduleAt).parent_path());
            if (c.realModule) {
                std::filesystem::copy_file(module, bin / c.moduleAt);
            } else {
                WriteFile(bin / c.moduleAt, "not a library");
            }
        }
        const ProgramResult run =
            RunToEnd((bin / "espa-emulator").string(),
                     {"--app-dir", dir.path().string(), "--no-such-option"}, kDeadline);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        if (c.realModule) {
            EXPECT_EQ(run.err.find("window module"), std::string::npos) << run.err;
        } else {
            // One line, pointing at the way round it.
            EXPECT_EQ(ChildProcess::CountOf(run.err, "\n"), 1) << run.err;
            EXPECT_NE(run.err.find("--headless"), std::string::npos) << run.err;
        }
    }
}
#endif

}  // namespace
}  // namespace espa::test
