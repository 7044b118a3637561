#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "line/frame.h"

namespace espa {

enum class ExchangeKind {
    Call,           // the central's select and a block of type 1
    StatusRequest,  // the central's select and a block of type 3
    Poll,           // the central's poll, and the status transfer it may bring
    Select,         // a select whose block never came, or of an unknown type
};

enum class Outcome {
    Open,
    CallAccepted,
    CallNaked,
    RequestFound,
    RequestNotFound,
    PollEmpty,
    StatusDelivered,   // the central acknowledged the status transfer
    StatusNaked,       // the central refused the status transfer
    StatusUnanswered,  // the central did not answer the select or the status transfer
    Timeout,
    Broken,  // an answer the exchange does not allow, or the central ended it early
};

// What the exchange was waiting for: where a timeout or a break happened.
enum class Stage {
    SelectAck,       // the paging system's ACK of the select
    Block,           // the central's block
    BlockAnswer,     // the paging system's ACK or NAK of the block
    PollAnswer,      // the paging system's EOT or select after a poll
    CentralAck,      // the central's ACK of the paging system's select
    Transfer,        // the paging system's status transfer
    TransferAnswer,  // the central's ACK or NAK of the status transfer
    AfterNak,        // the central's retry or EOT after a NAK
    End,             // EOT
};

// Answer times, each from the question's last byte to the answer's first.
enum class AnswerKind {
    PagingAckOfSelect,
    CentralBlockAfterAck,
    PagingAnswerToBlock,
    PagingAnswerToPoll,
    CentralAckOfSelect,
    PagingTransferAfterAck,
    CentralAnswerToTransfer,
};
inline constexpr int kAnswerKinds = 7;

struct Answer {
    AnswerKind kind;
    std::int64_t us;
};

struct Exchange {
    ExchangeKind kind = ExchangeKind::Select;
    Outcome outcome = Outcome::Open;
    Stage stage = Stage::SelectAck;  // where it stood when it ended
    std::int64_t startUs = 0;
    std::int64_t endUs = 0;
    int retries = 0;  // blocks sent again after a NAK, with or without a fresh select
    std::string statusCode;
    std::vector<Answer> answers;
    std::vector<Frame> frames;  // in the order the analyser took them
};

const char* OutcomeName(Outcome outcome);
const char* StageName(Stage stage);
// Whose frame an exchange at this stage waits for; a break or a timeout there is that side's
// doing. Nothing after a NAK or at the end, where which side it is depends on the exchange.
std::optional<Side> SideAwaitedAt(Stage stage);
const char* AnswerName(AnswerKind kind);

}  // namespace espa
