#include "judge/fault_verdict.h"

namespace espa {

std::string VerdictText(const FaultVerdict& verdict) {
    switch (verdict.result) {
        case FaultVerdict::Result::Recovered:
            return "recovered after " + std::to_string(verdict.tries) +
                   (verdict.tries == 1 ? " try" : " tries") + " in " +
                   std::to_string(verdict.recoveryUs / 1000) + " ms";
        case FaultVerdict::Result::NotRecovered:
            return "did not recover";
        case FaultVerdict::Result::NoReaction:
            break;
    }
    return "no reaction";
}

}  // namespace espa
