// How a failed project open is told: through the report the program
// registers, called without the manager held, or else as a line on the
// standard error output, never in a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/common/files.h"
#include "tests/sport/project_workspace.h"

namespace {

TEST_F(ProjectWorkspaceTest, AFailedOpenIsReportedWithTheManagerFreeOrElseLogged) {
  std::filesystem::create_directories(m_dir.File("ws/db.v5/SportProjIndex"));
  WriteBytes(m_dir.File("ws/db.v5/SportProjIndex/bruser.brx"), "not UTF-16");
  int code = -1;

  CString workingWhileReported = u"unread";
  int reports = 0;
  m_mgr->SetOpenFailureReport([&](ProjectFault, const CString&) {
    ++reports;
    workingWhileReported = m_mgr->GetWorkingCopyFolder();  // would wait forever if the manager were held
  });
  EXPECT_EQ(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectNotOpened);
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(workingWhileReported.IsEmpty());

  m_mgr->SetOpenFailureReport(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[OpenProject] Open tgv project ... fail\n");
  EXPECT_EQ(code, kProjectNotOpened);
  EXPECT_FALSE(std::filesystem::exists(WorkingCopy()));
}

}  // namespace
