#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_record.h"
#include "line/check_rules.h"
#include "line/frame.h"
#include "line/hint.h"

namespace espa {

class CallTable;

// Names the mistakes centrals and their cabling make again and again, from the frames of both
// sides and a few notes about the port. It only looks: nothing it sees is changed or answered.
// A false alarm costs an engineer more than silence, so each rule waits for evidence that cannot
// be chance, and a cause is named at most once a minute.
class LineDoctor {
  public:
    static constexpr std::int64_t kRepeatUs = 60'000'000;
    static constexpr std::int64_t kSilentLineUs = 30'000'000;
    static constexpr std::int64_t kNoPollUs = 60'000'000;
    static constexpr std::int64_t kCtsWaitUs = 10'000'000;
    // The central's reply to an echo or its trailing bytes follow at once; a person or a program
    // deciding something takes longer.
    static constexpr std::int64_t kAtOnceUs = 50'000;

    explicit LineDoctor(Emulation make) : m_make(make) {}

    // The call table the status requests are matched against; null for none (a monitor).
    void SetCallTable(const CallTable* table) { m_table = table; }
    void NotePortOpened(std::int64_t timeUs, PortKind kind);
    void NoteLineSettings(const LineSettings& settings) { m_settings = settings; }
    void NoteHandshake(std::int64_t timeUs, Handshake handshake);
    void NoteCts(std::int64_t timeUs, bool active);
    // The engine's word that a status is owed since `sinceUs`, or none.
    void NoteStatusOwed(std::optional<std::int64_t> sinceUs);

    // Frames in the order the decoder gave them.
    void Add(const Frame& frame);
    void Advance(std::int64_t nowUs);

    std::vector<Hint> TakeHints();

  private:
    void FromCentral(const Frame& frame);
    void FromPagingSystem(const Frame& frame);
    bool Echo(const Frame& frame);
    void CheckRules(const Frame& block);
    void Noise(const Frame& noise);
    void Name(HintCause cause, std::int64_t timeUs, std::string text, std::string evidence);

    Emulation m_make;
    const CallTable* m_table = nullptr;
    std::optional<std::int64_t> m_openedUs;
    PortKind m_port = PortKind::Serial;
    bool m_centralHeard = false;
    bool m_silenceNamed = false;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    std::int64_t m_handshakeUs = 0;
    std::optional<std::int64_t> m_ctsInactiveUs;
    std::optional<std::int64_t> m_owedUs;

    Frame m_lastCentral;
    Frame m_lastPaging;
    bool m_haveCentral = false;
    bool m_havePaging = false;
    std::optional<Frame> m_awaitingAnswer;  // the central's last block, until the answer
    std::vector<CheckRule> m_lastBadRules;
    std::string m_lastBadBody;
    std::optional<std::string> m_lastSetting;
    std::vector<std::int64_t> m_echoes;
    std::vector<std::int64_t> m_cutSelects;
    std::vector<std::int64_t> m_trailing;

    std::array<std::optional<std::int64_t>, 10> m_lastNamedUs;
    std::vector<Hint> m_hints;
};

}  // namespace espa
