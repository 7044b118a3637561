#pragma once

#include <cstdint>
#include <string>

namespace espa {

struct CallPosition;
struct FaultEvent;

// Why the emulator answered with NAK.
enum class NakReason {
    BadCheckCharacter,      // a received block failed its check
    StatusRequestNotFound,  // a status request matched no stored call
    CommTechStatusRequest,  // CommTechWireLess answers every status request "1" NAK
};

// Which wait ran out.
enum class TimeoutKind {
    Character,        // the next character of a select or poll did not come
    Block,            // the central's block did not end with ETX in time
    CheckCharacter,   // no check character after ETX
    SelectAck,        // the central did not acknowledge our select for a status transfer
    StatusAck,        // the central did not acknowledge our status transfer
    MediCallSession,  // a MediCall session was closed by its own timer
};

// What the engine tells an observer as it happens, apart from the event log and whatever the log
// level. The observer only watches: it must not call back into the engine. Every call has a
// default that does nothing, so an observer overrides only what it needs.
class EngineEvents {
  public:
    virtual ~EngineEvents() = default;

    // A call record was stored, as "NIEUW", in `position`.
    virtual void OnCallStored(std::int16_t /*position*/, const CallPosition& /*call*/) {}
    // A status request for `pager` matched `position`, or nothing (-1).
    virtual void OnStatusRequest(const std::string& /*pager*/, std::int16_t /*position*/) {}
    // A status transfer for `position` was built and goes out now with status `code` ("2".."5");
    // `call.ReturnedStatus` holds the word recorded for it.
    virtual void OnStatusSent(std::int16_t /*position*/, const CallPosition& /*call*/,
                              const std::string& /*code*/) {}
    virtual void OnNakSent(NakReason /*reason*/) {}
    virtual void OnTimeout(TimeoutKind /*kind*/) {}
    // The port opened with the line settings text ("9600,N,8,1"), or failed to.
    virtual void OnPortOpened(std::int16_t /*port*/, const std::string& /*settings*/) {}
    virtual void OnPortOpenFailed(std::int16_t /*port*/) {}
    virtual void OnPortClosed() {}
    // A deliberate fault took effect (see FaultInjector).
    virtual void OnFault(const FaultEvent& /*fault*/) {}
};

// An observer that does nothing: what every part reports to until one is set.
EngineEvents& NoEngineEvents();

}  // namespace espa
