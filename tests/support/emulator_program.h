#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "espa_frames.h"
#include "line_ends.h"
#include "temp_dir.h"

namespace espa::test {

// Long enough for a machine busy with other builds; a passing run ends far sooner.
inline constexpr std::chrono::milliseconds kDeadline = std::chrono::seconds(10);
inline constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";
inline const std::string kEmulator = ESPA_EMULATOR_PATH;

// espa.set for Com1 at 9600,N,8,1 without handshake, as the make `emulatie` at level `logfile`.
inline std::string EspaSet(int logfile, int emulatie = 0) {
    return "0        Compoort ->0\r\n10       Emulatie ->" + std::to_string(emulatie) +
           "\r\n11       BaudRate ->4\r\n12       Parity ->0\r\n13       Bits ->1\r\n"
           "14       StopBits ->0\r\n15       HandShake ->0\r\n20       Logfile ->" +
           std::to_string(logfile) + "\r\n";
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
        : process(kEmulator, Prepare(arguments, setup), setup.inputPipe) {}
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

// One turn of a central's script: what it sends and the answer it must get back.
struct Turn {
    const char* what;
    std::string send;
    std::string answer;
};

inline void Play(FdLine& line, const std::vector<Turn>& script) {
    for (const Turn& turn : script) {
        line.Write(turn.send);
        EXPECT_EQ(frames::Visible(line.Read(turn.answer.size(), kDeadline)),
                  frames::Visible(turn.answer))
            << turn.what;
    }
}

// A call and, at the next poll, its status transfer with `code`.
inline std::vector<Turn> CallAndStatus(const std::string& callData, const std::string& code) {
    using namespace frames;
    return {{"select", kSelect, Ch(ACK)},
            {"call", Block('1', callData), Ch(ACK)},
            {"poll", kPoll, std::string("1") + ENQ},
            {"take the select", Ch(ACK), Block('2', callData + RS + Field('7', code))},
            {"acknowledge the transfer", Ch(ACK), Ch(EOT)}};
}

}  // namespace espa::test
