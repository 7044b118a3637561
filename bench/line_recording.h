#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "central/central_session.h"

namespace espa::bench {

// What a central sent, tick by tick, in a session with the emulator, and what the emulator
// answered. Played back into a fresh emulator it gives the same session without the central's
// cost: the emulator is deterministic, and what it receives does not depend on its own timing.
struct LineRecording {
    std::string received;                    // every byte the central sent, in order
    std::vector<std::uint32_t> receivedEnd;  // end of what had arrived before each tick
    std::string sent;                        // every byte the emulator sent
    std::vector<std::uint32_t> sentEnd;      // end of what it had sent after each tick

    std::size_t Ticks() const { return receivedEnd.size(); }
};

// Picks the central's next job when it is idle: a call, a status request or a poll.
using JobChooser = std::function<void(CentralSession& central)>;

// Runs an emulator (Philips, status PAGED) against a CentralSession for `ticks` handler ticks of
// 25 ms; the central is never idle.
LineRecording RecordSession(long ticks, const JobChooser& nextJob);

// Jobs of everyday traffic: calls with short texts, status requests and polls, at random.
JobChooser EverydayTraffic(unsigned seed);
// A central at an ordinary pace: after each exchange a pause of `pauseTicks`, then a poll; every
// fourth exchange is a call instead.
JobChooser PacedTraffic(int pauseTicks);
// Calls with `infoLength` characters of text, one after another, each followed by a poll.
JobChooser LongCalls(int infoLength);

}  // namespace espa::bench
