#include "port_caption_view.h"

#include <gtest/gtest.h>

#include "recording_view.h"

namespace espa::test {
namespace {

// The engine's caption stays as it is; a network line adds its address after it.
TEST(PortCaptionView, SuffixFollowsTheEnginesCaptionWhenThereIsOne) {
    RecordingView window;
    std::string suffix;
    PortCaptionView view(window, [&] { return suffix; });
    view.SetPortCaption(" Serial Port Com1:  9600,N,8,1");
    EXPECT_EQ(window.portCaption, " Serial Port Com1:  9600,N,8,1");
    suffix = "  tcp-listen://127.0.0.1:4001";
    view.SetPortCaption(" Serial Port Com2:  9600,N,8,1");
    EXPECT_EQ(window.portCaption, " Serial Port Com2:  9600,N,8,1  tcp-listen://127.0.0.1:4001");
}

}  // namespace
}  // namespace espa::test
