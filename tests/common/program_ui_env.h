// Dialog tests of the program's own windows: including this header starts the
// toolkit and registers the program's resources once for the test program.
#pragma once

#include "res/resources.h"
#include "tests/ui/ui_test_env.h"

class ResourcesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { RegisterResources(); }
};

[[maybe_unused]] inline auto* const g_programUiEnv = ::testing::AddGlobalTestEnvironment(new UiEnvironment);
[[maybe_unused]] inline auto* const g_programResEnv = ::testing::AddGlobalTestEnvironment(new ResourcesEnvironment);
