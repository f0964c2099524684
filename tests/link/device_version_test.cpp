// The version answer decoded once: its kind, its text and the three gates.
#include <gtest/gtest.h>

#include "link/device_version.h"

namespace tav::linktest {
namespace {

TEST(DeviceVersion, KindTextAndGates) {
    struct Row {
        DeviceVersion answer;
        VersionKind kind;
        const char* text;
        bool application;  // ApplicationAccepted
        bool bootLoader;   // BootLoaderAccepted
    };
    constexpr auto App = VersionKind::kApplication;
    constexpr auto Boot = VersionKind::kBootLoader;
    const Row rows[] = {
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x26}, App, "hardw.ver:1.00 soft.ver:1.26", true, true},
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x29}, App, "hardw.ver:1.00 soft.ver:1.29", true, true},
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x30}, App, "hardw.ver:1.00 soft.ver:1.30", false, true},
        {{0x76, 0x07, 0x12, 0x03, 0x0A, 0xB0}, App, "hardw.ver:12.03 soft.ver:a.b0", false, false},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x05}, Boot, "boot ldr:1.00 soft.ver:1.05", true, true},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x7F}, Boot, "boot ldr:1.00 soft.ver:1.7f", false, true},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x80}, Boot, "boot ldr:1.00 soft.ver:1.80", false, false},
        {{0x76, 0x77, 0x01, 0x01, 0x01, 0x26}, Boot, "boot ldr:1.01 soft.ver:1.26", true, false},
        {{0x76, 0x77, 0x02, 0x00, 0x01, 0x26}, Boot, "boot ldr:2.00 soft.ver:1.26", true, false},
        {{0x76, 0x33, 0x01, 0x00, 0x01, 0x26}, VersionKind::kUnknown, "", true, true},
        {{0x75, 0x07, 0x01, 0x00, 0x01, 0x26}, VersionKind::kNoAnswer, "", true, true},
        {{}, VersionKind::kNoAnswer, "", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(KindOf(row.answer), row.kind);
        EXPECT_EQ(VersionText(row.answer), row.text);
        EXPECT_EQ(ApplicationAccepted(row.answer), row.application);
        EXPECT_EQ(BootLoaderAccepted(row.answer), row.bootLoader);
    }
}

TEST(DeviceVersion, HistoryRequestFromSoftware112) {
    const std::tuple<std::uint8_t, std::uint8_t, bool> rows[] = {
        {0x01, 0x11, false}, {0x01, 0x12, true},  {0x01, 0x26, true},  {0x02, 0x00, true},
        {0x00, 0x05, false}, {0x00, 0x12, false}, {0x00, 0x99, false},
    };
    for (const auto& [major, minor, allowed] : rows) {
        EXPECT_EQ(HistoryRequestAllowed({0x76, 0x07, 0x01, 0x00, major, minor}), allowed)
            << int{major} << "." << int{minor};
    }
}

}  // namespace
}  // namespace tav::linktest
