// Dialog tests of the program's own windows: including this header starts the
// toolkit and registers the program's resources once for the test program.
#pragma once

#include "res/resources.h"
#include "tests/ui/ui_test_env.h"

class ResourcesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { RegisterResources(); }
};

// The program's resource string `id` in `lang`, the thread's UI language by default.
inline CString ResourceText(UINT id, LANGID lang = GetThreadUILanguage()) { return CString(AfxFindString(id, lang)); }

[[maybe_unused]] inline auto* const g_programUiEnv = ::testing::AddGlobalTestEnvironment(new UiEnvironment);
[[maybe_unused]] inline auto* const g_programResEnv = ::testing::AddGlobalTestEnvironment(new ResourcesEnvironment);
