// What moves each stage of an exchange on: the rows of the analyser's state table.
#include "line/exchange_analyser.h"

namespace espa {
namespace {

bool From(const Frame& frame, Side side, FrameKind kind) {
    return frame.side == side && frame.kind == kind;
}

}  // namespace

// One row per stage: what moves it on. False for a frame the stage does not expect.
bool ExchangeAnalyser::Step(const Frame& f) {
    Exchange& x = *m_current;
    constexpr Side C = Side::Central;
    constexpr Side P = Side::PagingSystem;
    switch (x.stage) {
        case Stage::SelectAck:
            if (!From(f, P, FrameKind::Ack)) {
                return false;
            }
            Timed(AnswerKind::PagingAckOfSelect, f);
            Expect(Stage::Block, f);
            return true;
        case Stage::Block:
            if (f.side != C || f.kind != FrameKind::Block) {
                return false;
            }
            Timed(AnswerKind::CentralBlockAfterAck, f);
            x.kind = f.header == '1'   ? ExchangeKind::Call
                     : f.header == '3' ? ExchangeKind::StatusRequest
                                       : ExchangeKind::Select;
            Expect(Stage::BlockAnswer, f);
            return true;
        case Stage::BlockAnswer:
            if (!From(f, P, FrameKind::Ack) && !From(f, P, FrameKind::Nak)) {
                return false;
            }
            Timed(AnswerKind::PagingAnswerToBlock, f);
            if (f.kind == FrameKind::Ack) {
                x.outcome = x.kind == ExchangeKind::StatusRequest ? Outcome::RequestFound
                                                                  : Outcome::CallAccepted;
                Expect(Stage::End, f);
            } else {
                x.outcome = x.kind == ExchangeKind::StatusRequest ? Outcome::RequestNotFound
                                                                  : Outcome::CallNaked;
                Expect(Stage::AfterNak, f);
            }
            return true;
        case Stage::PollAnswer:
            if (From(f, P, FrameKind::Eot)) {
                Timed(AnswerKind::PagingAnswerToPoll, f);
                Close(Outcome::PollEmpty);
                return true;
            }
            if (!From(f, P, FrameKind::Select)) {
                return false;
            }
            Timed(AnswerKind::PagingAnswerToPoll, f);
            Expect(Stage::CentralAck, f);
            return true;
        case Stage::CentralAck:
            if (!From(f, C, FrameKind::Ack)) {
                return false;
            }
            Timed(AnswerKind::CentralAckOfSelect, f);
            Expect(Stage::Transfer, f);
            return true;
        case Stage::Transfer:
            if (f.side != P || f.kind != FrameKind::Block) {
                return false;
            }
            Timed(AnswerKind::PagingTransferAfterAck, f);
            x.statusCode = f.Field('7');
            Expect(Stage::TransferAnswer, f);
            return true;
        case Stage::TransferAnswer:
            if (!From(f, C, FrameKind::Ack) && !From(f, C, FrameKind::Nak)) {
                return false;
            }
            Timed(AnswerKind::CentralAnswerToTransfer, f);
            x.outcome = f.kind == FrameKind::Ack ? Outcome::StatusDelivered : Outcome::StatusNaked;
            Expect(f.kind == FrameKind::Ack ? Stage::End : Stage::AfterNak, f);
            return true;
        case Stage::AfterNak:
            if (f.kind == FrameKind::Eot) {
                Close(x.outcome);
                return true;
            }
            // The same block again, after a fresh select (taken in Take) or without one.
            if (f.kind == FrameKind::Select && f.side == C) {
                ++x.retries;
                x.outcome = Outcome::Open;
                Expect(Stage::SelectAck, f);
                return true;
            }
            if (f.kind != FrameKind::Block || f.side != *AwaitedSide()) {
                return false;
            }
            ++x.retries;
            x.outcome = Outcome::Open;
            Expect(f.side == C ? Stage::BlockAnswer : Stage::TransferAnswer, f);
            return true;
        case Stage::End:
            if (f.kind != FrameKind::Eot) {
                return false;
            }
            Close(x.outcome);
            return true;
    }
    return false;
}

}  // namespace espa
