#include "core/make_variant.h"

namespace espa {
namespace {

constexpr MakeVariant kPhilips{};

constexpr MakeVariant kMediCall{.sessionTimeoutTicks = kMediCallTimeoutTicks};

constexpr MakeVariant kDataCall{.logsLineCheck = false, .statusCoding = StatusCoding::DataCall};

constexpr MakeVariant kCommTechWireLess{.checksReceivedBlocks = false,
                                        .refusesStatusRequests = true,
                                        .echoedIdentifiers = 2,
                                        .statusCoding = StatusCoding::AlwaysPaged,
                                        .transferCheckOffset = kCommTechCheckOffset};

}  // namespace

const MakeVariant& VariantFor(Emulation make) {
    switch (make) {
        case Emulation::MediCall:
            return kMediCall;
        case Emulation::DataCall:
            return kDataCall;
        case Emulation::CommTechWireLess:
            return kCommTechWireLess;
        case Emulation::Philips:
        case Emulation::AscomNira:
            break;
    }
    return kPhilips;
}

const MakeVariant& VariantOf(const SettingsRecord& settings) {
    return VariantFor(static_cast<Emulation>(settings.Emulatie));
}

}  // namespace espa
