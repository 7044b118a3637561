#include "protocol/espa_block.h"

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "log/event_log.h"
#include "serial/datacom.h"

namespace espa {

// Every SOH starts the check afresh, so line noise or a block that was broken off and started
// again counts only from the last SOH before the terminating ETX.
bool ComputeBlockCheck(const std::string& text, std::uint8_t& check) {
    std::uint8_t running = 0;
    for (const char c : text) {
        if (c == SOH) {
            running = 0;
            continue;
        }
        running ^= static_cast<std::uint8_t>(c);
        if (c == ETX) {
            check = running;
            return true;
        }
    }
    return false;
}

EspaBlock::EspaBlock(Datacom& datacom, EventLog& log, CallTable& table)
    : m_datacom(datacom), m_log(log), m_table(table) {}

std::int16_t EspaBlock::TestBlock(const std::string& text) {
    std::uint8_t computed = 0;
    const std::size_t etx = text.find(ETX);
    // The check character is searched after the first ETX only; the scan above stops there too,
    // so a check character that happens to be ETX, EOT or SOH is still read as data.
    if (!ComputeBlockCheck(text, computed) || etx == std::string::npos || etx + 1 >= text.size()) {
        m_log.WriteLog("DEBUG: While testing ESPAstring: [" + text +
                       "] No ETX received, or Onerr.");
        return -1;
    }
    if (static_cast<std::uint8_t>(text[etx + 1]) != computed) {
        m_log.WriteLog("DEBUG: While testing ESPAstring: [" + text + "] Checksum error!");
        return -1;
    }
    return 1;
}

std::int16_t EspaBlock::BlockType(const std::string& text) {
    const std::size_t soh = text.find(SOH);
    // Without an SOH the text is taken to start with its header digit.
    const std::size_t at = soh == std::string::npos ? 0 : soh + 1;
    if (at >= text.size()) {
        return 0;
    }
    const char c = text[at];
    return c >= '0' && c <= '9' ? static_cast<std::int16_t>(c - '0') : 0;
}

std::int16_t EspaBlock::SendCharChecked(std::int16_t code) {
    if (m_datacom.SendChar(code) < 0) {
        return -1;
    }
    TxCheck = static_cast<std::int16_t>(TxCheck ^ code);
    return 0;
}

// The character is folded in before it is sent: a refused character still counts in TxCheck,
// which no longer matters because the rest of the block is not sent either.
std::int16_t EspaBlock::SendTextChecked(const std::string& text) {
    for (const char c : text) {
        const auto code = static_cast<std::int16_t>(static_cast<unsigned char>(c));
        TxCheck = static_cast<std::int16_t>(TxCheck ^ code);
        if (m_datacom.SendChar(code) < 0) {
            return -1;
        }
    }
    return 0;
}

std::int16_t EspaBlock::FindPendingPosition() const {
    for (int p = 0; p < CallTable::kPositions; ++p) {
        if (m_table[p].StatusPending == 1) {
            return static_cast<std::int16_t>(p);
        }
    }
    return -1;
}

}  // namespace espa
