#include "core/engine_events.h"

namespace espa {

EngineEvents& NoEngineEvents() {
    static EngineEvents none;
    return none;
}

}  // namespace espa
