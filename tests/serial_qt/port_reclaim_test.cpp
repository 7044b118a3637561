// A lost port that must stay lost because what stands at its name now is another line. A device
// coming back behind its link is the program's run to show (port_return_run_test).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "event_loop_wait.h"
#include "pty_pair.h"
#include "serial/qt_serial_control.h"

namespace espa::test {
namespace {

// Lets queued work (the close of a lost device) run.
void Settle() {
    for (int turn = 0; turn < 10; ++turn) {
        QCoreApplication::processEvents();
    }
}

// A pty named by its own number is gone for good when its far end closes: the kernel gives the
// number to the next pty opened anywhere, and that line is someone else's.
TEST(LostPortReclaim, PtyNumberHandedToANewPtyIsNotTakenBack) {
    std::unique_ptr<PtyPair> lost;
    std::unique_ptr<PtyPair> newcomer;
    std::unique_ptr<QtSerialControl> control;
    // The freed number goes to the next pty opened on the machine, which is nearly always ours;
    // another program may get it first, so try a few times.
    for (int attempt = 0; attempt < 10 && !newcomer; ++attempt) {
        lost = std::make_unique<PtyPair>();
        const std::string path = lost->SlavePath();
        control =
            std::make_unique<QtSerialControl>([path](int) { return QString::fromStdString(path); });
        ASSERT_TRUE(control->SetPortOpen(true));
        lost->Hangup();
        ASSERT_TRUE(PumpUntil([&] { return control->PortLost(); }));
        Settle();
        newcomer = std::make_unique<PtyPair>();
        if (newcomer->SlavePath() != path) {
            newcomer.reset();
        }
    }
    ASSERT_NE(newcomer, nullptr) << "no new pty got the freed number";
    EXPECT_FALSE(control->ReclaimLostPort());
    EXPECT_FALSE(control->SetPortOpen(true));
    newcomer->Write("z");
    EXPECT_EQ(control->InBufferCount(), std::nullopt);
}

}  // namespace
}  // namespace espa::test
