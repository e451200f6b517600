// Golden images: the device screen compared with a reference PNG in tests/golden/, exactly.
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace testing_support {

// Compares the headless device screen with tests/golden/NAME.png. A missing golden fails;
// UPDATE_GOLDENS=1 rewrites it; a mismatch writes NAME_actual.png and NAME_diff.png in the build
// folder's golden-output/.
::testing::AssertionResult matchesGolden(const std::string& name);

}  // namespace testing_support
