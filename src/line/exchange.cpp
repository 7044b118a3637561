#include "line/exchange.h"

namespace espa {

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Open:
            return "unfinished";
        case Outcome::CallAccepted:
            return "call accepted";
        case Outcome::CallNaked:
            return "call refused (NAK)";
        case Outcome::RequestFound:
            return "status request found";
        case Outcome::RequestNotFound:
            return "status request not found (NAK)";
        case Outcome::PollEmpty:
            return "poll answered empty";
        case Outcome::StatusDelivered:
            return "status transfer delivered";
        case Outcome::StatusNaked:
            return "status transfer refused (NAK)";
        case Outcome::StatusUnanswered:
            return "status transfer unanswered";
        case Outcome::Timeout:
            return "timeout";
        case Outcome::Broken:
            return "broken off";
    }
    return "";
}

std::optional<Side> SideAwaitedAt(Stage stage) {
    switch (stage) {
        case Stage::SelectAck:
        case Stage::BlockAnswer:
        case Stage::PollAnswer:
        case Stage::Transfer:
            return Side::PagingSystem;
        case Stage::Block:
        case Stage::CentralAck:
        case Stage::TransferAnswer:
            return Side::Central;
        case Stage::AfterNak:
        case Stage::End:
            break;
    }
    return std::nullopt;
}

const char* StageName(Stage stage) {
    switch (stage) {
        case Stage::SelectAck:
            return "waiting for the ACK of the select";
        case Stage::Block:
            return "waiting for the central's block";
        case Stage::BlockAnswer:
            return "waiting for the answer to the block";
        case Stage::PollAnswer:
            return "waiting for the answer to the poll";
        case Stage::CentralAck:
            return "waiting for the central's ACK of the select";
        case Stage::Transfer:
            return "waiting for the status transfer";
        case Stage::TransferAnswer:
            return "waiting for the central's answer to the status transfer";
        case Stage::AfterNak:
            return "waiting for a retry or EOT after NAK";
        case Stage::End:
            return "waiting for EOT";
    }
    return "";
}

const char* AnswerName(AnswerKind kind) {
    switch (kind) {
        case AnswerKind::PagingAckOfSelect:
            return "paging system's ACK of a select";
        case AnswerKind::CentralBlockAfterAck:
            return "central's block after the ACK";
        case AnswerKind::PagingAnswerToBlock:
            return "paging system's answer to a block";
        case AnswerKind::PagingAnswerToPoll:
            return "paging system's answer to a poll";
        case AnswerKind::CentralAckOfSelect:
            return "central's ACK of the paging system's select";
        case AnswerKind::PagingTransferAfterAck:
            return "paging system's status transfer after the ACK";
        case AnswerKind::CentralAnswerToTransfer:
            return "central's answer to a status transfer";
    }
    return "";
}

}  // namespace espa
