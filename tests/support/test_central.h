#pragma once

// The central's frames under the name the serial-control and runner suites were written against.
#include "espa_frames.h"

namespace espa::test {
namespace central = frames;
using frames::Visible;
}  // namespace espa::test
