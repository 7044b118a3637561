#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "serial/serial_control.h"

namespace espa::test {

// A serial control over two byte queues: `rx` the central's bytes not read yet, `tx` what the
// emulator sent. Every setting goes to `calls` ("PortOpen=1" …); an operation named in `refuse`
// ("PortOpen", "Input" …, "RTSEnable?" for reading RTS back) fails.
class FakeSerialControl : public SerialControl {
  public:
    bool SetCommPort(std::int16_t n) override { return Record("CommPort", n) && !open; }
    bool SetSettings(const std::string& text) override {
        return Record("Settings", text) && (settings = text, true);
    }
    bool SetHandshaking(int mode) override { return Record("Handshaking", mode); }
    bool SetRTSEnable(bool on) override { return Record("RTSEnable", on) && (rts = on, true); }
    bool SetDTREnable(bool on) override { return Record("DTREnable", on); }
    bool SetNullDiscard(bool on) override { return Record("NullDiscard", on); }
    bool SetEOFEnable(bool on) override { return Record("EOFEnable", on); }
    bool SetInputLen(int n) override { return Record("InputLen", n) && (inputLen = n, true); }
    // Opening an open port fails.
    bool SetPortOpen(bool o) override {
        return Record("PortOpen", o) && !(o && open) && (open = o, true);
    }
    bool PortOpen() const override { return open; }

    std::optional<int> InBufferCount() override {
        return Usable("InBufferCount") ? std::optional<int>(static_cast<int>(rx.size()))
                                       : std::nullopt;
    }
    std::optional<std::string> Input() override {
        if (!Usable("Input")) {
            return std::nullopt;
        }
        const std::size_t n =
            std::min<std::size_t>(rx.size(), inputLen <= 0 ? rx.size() : inputLen);
        std::string out = rx.substr(0, n);
        rx.erase(0, n);
        return out;
    }
    bool Output(const std::string& bytes) override {
        if (!Usable("Output")) {
            return false;
        }
        tx += bytes;
        if (tap != nullptr) {
            tap->OnLineWritten(tapNow(), bytes);
        }
        return true;
    }
    std::optional<bool> CTSHolding() override {
        return Usable("CTSHolding") ? std::optional<bool>(cts) : std::nullopt;
    }
    std::optional<bool> RTSEnable() override {
        return refuse.count("RTSEnable?") ? std::nullopt : std::optional<bool>(rts);
    }

    void SetLineTap(LineTap* t, MicroClock now) override {
        tap = t;
        tapNow = std::move(now);
    }
    PortDevice DeviceKind() const override { return device; }
    // The central sends `bytes`: they wait to be read, and a tap hears of them now.
    void Arrive(const std::string& bytes) {
        rx += bytes;
        if (tap != nullptr) {
            tap->OnLineRead(tapNow(), bytes);
        }
    }

    // What the emulator sent since the last call, and forget it.
    std::string TakeSent() { return std::exchange(tx, {}); }

    std::string rx, tx;
    std::vector<std::string> calls;
    std::set<std::string> refuse;
    bool open = false, cts = false, rts = false;
    int inputLen = 0;
    PortDevice device = PortDevice::Serial;
    LineTap* tap = nullptr;
    MicroClock tapNow;
    std::string settings = "9600,N,8,1";

  private:
    bool Usable(const std::string& op) const { return refuse.count(op) == 0 && open; }
    bool Record(const std::string& op, const std::string& value) {
        calls.push_back(op + "=" + value);
        return refuse.count(op) == 0;
    }
    bool Record(const std::string& op, int value) { return Record(op, std::to_string(value)); }
};

}  // namespace espa::test
