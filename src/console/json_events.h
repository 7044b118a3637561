#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "common/json_text.h"
#include "core/engine_events.h"

class QDateTime;

namespace espa {

// The start of every event object on standard output: "event", then "time" (local, ISO 8601 with
// milliseconds).
Json EventObject(const char* event, const QDateTime& time);

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
    void OnFault(const FaultEvent& fault) override;

    // What the program's ports report beside the engine.
    void OnPortLost(int port);
    void OnConnected(int port, const std::string& peer);

    static const char* Name(NakReason reason);
    static const char* Name(TimeoutKind kind);

  private:
    void Write(std::string_view line);

    std::ostream& m_out;
    DeviceOf m_deviceOf;
};

}  // namespace espa
