#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_dir.h"

namespace espa::test {

// Long enough for a machine busy with other builds; a passing run ends far sooner.
inline constexpr std::chrono::milliseconds kDeadline = std::chrono::seconds(10);
inline constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";

inline std::string EmulatorPath() {
    return ESPA_EMULATOR_PATH;
}

// espa.set for Com1 at 9600,N,8,1 without handshake, as the make `emulatie` at level `logfile`.
inline std::string EspaSet(int logfile, int emulatie = 0) {
    auto line = [](const char* key, int value) { return key + std::to_string(value) + "\r\n"; };
    return line("0        Compoort ->", 0) + line("10       Emulatie ->", emulatie) +
           line("11       BaudRate ->", 4) + line("12       Parity ->", 0) +
           line("13       Bits ->", 1) + line("14       StopBits ->", 0) +
           line("15       HandShake ->", 0) + line("20       Logfile ->", logfile);
}

// Every daily file of a log folder run together: a run across midnight writes two.
inline std::string ReadLogFolder(const std::filesystem::path& folder) {
    std::string all;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        all += ReadFile(entry.path());
    }
    return all;
}

// What an application folder holds, and how the program's standard input is fed.
struct Setup {
    int logfile = 1;
    int emulatie = 0;
    const char* com1Link = nullptr;  // the folder's Com1 link points here, when given
    bool inputPipe = false;
};

// The real espa-emulator, headless, in an application folder of its own made to `setup`;
// `arguments` follow --headless and --app-dir.
struct EmulatorRun {
    explicit EmulatorRun(const std::vector<std::string>& arguments, const Setup& setup = {})
        : process(EmulatorPath(), Prepare(arguments, setup), setup.inputPipe) {}

    std::string Log() const { return ReadLogFolder(dir.path() / "Log"); }

    TempDir dir;
    ChildProcess process;

  private:
    std::vector<std::string> Prepare(const std::vector<std::string>& arguments,
                                     const Setup& setup) const {
        WriteFile(dir.path() / "espa.set", EspaSet(setup.logfile, setup.emulatie));
        if (setup.com1Link != nullptr) {
            std::filesystem::create_symlink(setup.com1Link, dir.path() / "Com1");
        }
        std::vector<std::string> all{"--headless", "--app-dir", dir.path().string()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return all;
    }
};

}  // namespace espa::test
