#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "serial/serial_control.h"

namespace espa::test {

// A serial control over two byte queues. `rx` holds what the central has sent and the emulator
// has not read yet; `tx` collects what the emulator sent. Every operation is recorded in `calls`
// ("CommPort=1", "Settings=9600,N,8,1", "PortOpen=1" …) and any operation named in `refuse`
// ("CommPort", "Settings", "PortOpen", "Input", "Output" …) fails. Setting RTS is "RTSEnable",
// reading it back is "RTSEnable?".
class FakeSerialControl final : public SerialControl {
  public:
    bool SetCommPort(std::int16_t portNumber) override {
        return Record("CommPort", std::to_string(portNumber)) && !open && (port = portNumber, true);
    }
    bool SetSettings(const std::string& text) override {
        return Record("Settings", text) && (settings = text, true);
    }
    bool SetHandshaking(int mode) override {
        return Record("Handshaking", std::to_string(mode)) && (handshaking = mode, true);
    }
    bool SetRTSEnable(bool on) override {
        return Record("RTSEnable", Flag(on)) && (rts = on, true);
    }
    bool SetDTREnable(bool on) override {
        return Record("DTREnable", Flag(on)) && (dtr = on, true);
    }
    bool SetNullDiscard(bool d) override {
        return Record("NullDiscard", Flag(d)) && (nullDiscard = d, true);
    }
    bool SetEOFEnable(bool e) override {
        return Record("EOFEnable", Flag(e)) && (eofEnable = e, true);
    }
    bool SetInputLen(int length) override {
        return Record("InputLen", std::to_string(length)) && (inputLen = length, true);
    }
    bool SetPortOpen(bool o) override {
        if (!Record("PortOpen", Flag(o))) {
            return false;
        }
        if (o && open) {
            return false;  // already open
        }
        open = o;
        return true;
    }
    bool PortOpen() const override { return open; }

    std::optional<int> InBufferCount() override {
        if (Refused("InBufferCount") || !open) {
            return std::nullopt;
        }
        return static_cast<int>(rx.size());
    }
    std::optional<std::string> Input() override {
        if (Refused("Input") || !open) {
            return std::nullopt;
        }
        const std::size_t n =
            std::min<std::size_t>(rx.size(), inputLen <= 0 ? rx.size() : inputLen);
        std::string out = rx.substr(0, n);
        rx.erase(0, n);
        return out;
    }
    bool Output(const std::string& bytes) override {
        if (Refused("Output") || !open) {
            return false;
        }
        tx += bytes;
        return true;
    }
    std::optional<bool> CTSHolding() override {
        if (Refused("CTSHolding") || !open) {
            return std::nullopt;
        }
        return cts;
    }
    std::optional<bool> RTSEnable() override {
        if (Refused("RTSEnable?")) {
            return std::nullopt;
        }
        return rts;
    }

    // What the emulator sent since the last call, and forget it.
    std::string TakeSent() {
        std::string out;
        out.swap(tx);
        return out;
    }

    std::string rx;
    std::string tx;
    std::vector<std::string> calls;
    std::set<std::string> refuse;
    bool open = false;
    bool cts = false;
    bool rts = false;
    bool dtr = false;
    bool nullDiscard = true;
    bool eofEnable = true;
    int handshaking = 0;
    int inputLen = 0;
    std::int16_t port = 1;
    std::string settings = "9600,N,8,1";

  private:
    static std::string Flag(bool b) { return b ? "1" : "0"; }
    bool Refused(const std::string& op) const { return refuse.count(op) != 0; }
    bool Record(const std::string& op, const std::string& value, bool log = true) {
        if (log) {
            calls.push_back(op + "=" + value);
        }
        return !Refused(op);
    }
};

}  // namespace espa::test
