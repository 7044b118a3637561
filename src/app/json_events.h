#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/engine_events.h"

namespace espa {

// `bytes` as a JSON string, quotes included. Line text is 8-bit: each byte 0x80-0xFF stands for
// the Latin-1 character of that code and is written \u00XX, so the output is plain ASCII whatever
// arrived on the line; control bytes are escaped too.
std::string JsonString(std::string_view bytes);

// One JSON object on one line, its members in the order added.
class JsonLine {
  public:
    JsonLine& Add(std::string_view key, std::string_view text);
    JsonLine& Add(std::string_view key, const char* text) {
        return Add(key, std::string_view(text));
    }
    JsonLine& Add(std::string_view key, long long number);
    JsonLine& Add(std::string_view key, int number) {
        return Add(key, static_cast<long long>(number));
    }
    JsonLine& Add(std::string_view key, bool flag);
    JsonLine& AddNull(std::string_view key);
    // "{...}" without a line end.
    std::string Text() const { return "{" + m_members + "}"; }

  private:
    void Key(std::string_view key);
    std::string m_members;
};

// Engine events as JSON lines on a stream (standard output for --json), whatever the log level.
// Every object has "event" and "time" (local, ISO 8601 with milliseconds) first.
class JsonEventWriter final : public EngineEvents {
  public:
    // `deviceOf` gives the device text a port number opens ("/dev/ttyUSB0", "tcp://host:4001").
    using DeviceOf = std::function<std::string(int portNumber)>;

    JsonEventWriter(std::ostream& out, DeviceOf deviceOf);

    void OnCallStored(std::int16_t position, const CallPosition& call) override;
    void OnStatusRequest(const std::string& pager, std::int16_t position) override;
    void OnStatusSent(std::int16_t position, const CallPosition& call,
                      const std::string& code) override;
    void OnNakSent(NakReason reason) override;
    void OnTimeout(TimeoutKind kind) override;
    void OnPortOpened(std::int16_t port, const std::string& settings) override;
    void OnPortOpenFailed(std::int16_t port) override;
    void OnPortClosed() override;

    // What the program's ports report beside the engine.
    void OnPortLost(int port);
    void OnConnected(int port, const std::string& peer);

    static const char* Name(NakReason reason);
    static const char* Name(TimeoutKind kind);

  private:
    JsonLine Begin(const char* event) const;
    void Write(const JsonLine& line);

    std::ostream& m_out;
    DeviceOf m_deviceOf;
};

}  // namespace espa
