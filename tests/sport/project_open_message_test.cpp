// The message of a failed project open, asked for by the workspace thread
// and shown by the UI thread in a real window.
#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/common/files.h"
#include "tests/sport/project_workspace.h"
#include "tests/ui/ui_test_env.h"

namespace {

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

TEST_F(ProjectWorkspaceTest, AFailedOpenOnAWorkerIsReportedByTheUiThreadWithTheManagerFree) {
  REQUIRE_UI();
  std::filesystem::create_directories(m_dir.File("ws/db.v5/SportProjIndex"));
  WriteBytes(m_dir.File("ws/db.v5/SportProjIndex/bruser.brx"), "not UTF-16");

  std::atomic<bool> done{false};
  int code = -1;
  tgvProject_C* project = nullptr;
  std::thread worker([&]() {
    project = m_mgr->OpenProject(u"SportProjIndex", code);
    done = true;
  });
  CString text, workingWhileShown = u"unread";
  UiTestPoll([&]() {
    HWND box = UiTestInnermostModal();
    if (!UiTestIsMessageBox(box)) return false;
    text = UiTestMessageBoxText(box);
    // The manager is not held while the box waits for its answer.
    workingWhileShown = m_mgr->GetWorkingCopyFolder();
    UiTestEndModal(box, IDOK);
    return true;
  });
  EXPECT_TRUE(UiTestPumpUntil([&]() { return done.load(); }));
  worker.join();
  EXPECT_EQ(text, CString(u"[OpenProject] Open tgv project ... fail"));
  EXPECT_TRUE(workingWhileShown.IsEmpty());
  EXPECT_EQ(project, nullptr);
  EXPECT_EQ(code, kProjectNotOpened);
  EXPECT_FALSE(std::filesystem::exists(WorkingCopy()));
}

}  // namespace
