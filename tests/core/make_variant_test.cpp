#include <gtest/gtest.h>

#include "core/make_variant.h"

namespace espa::test {
namespace {

// Ascom/Nira behaves as Philips, and so does an Emulatie outside the list (only a hand-edited
// espa.set gives one); each of the other makes differs.
TEST(MakeVariant, AscomAndValuesOutsideTheListPlayPhilips) {
    SettingsRecord settings;
    const MakeVariant philips = VariantOf(settings);
    for (const std::int16_t emulatie : {1, 5, 300, -1}) {
        settings.Emulatie = emulatie;
        EXPECT_EQ(VariantOf(settings), philips) << emulatie;
    }
    for (const std::int16_t emulatie : {2, 3, 4}) {
        settings.Emulatie = emulatie;
        EXPECT_FALSE(VariantOf(settings) == philips) << emulatie;
    }
}

}  // namespace
}  // namespace espa::test
