#include "window_fixture.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new tav::ui::testing::QtEnvironment);
}
