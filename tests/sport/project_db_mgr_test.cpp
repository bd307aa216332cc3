#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "icbase/src/icutil/mempool.h"
#include "sport/IconMgr.h"
#include "sport/ProjectDbMgr.h"
#include "tests/common/files.h"
#include "tests/sport/project_workspace.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvRecord.h"

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// "name:object type" of the document's top-level types.
Names TypesOf(tgvDocument_C* doc) {
  PtrList_C list;
  doc->GetTypes(&list, nullptr);
  Names out;
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;) {
    const auto* type = static_cast<const tgvType_C*>(PtrList_C::GetNext(pos));
    out.push_back(CString(type->GetName()).ToUtf8() + ":" + std::to_string(type->GetObjType()));
  }
  return out;
}

TEST_F(ProjectWorkspaceTest, ACreatedProjectIsOpenedThroughItsWorkingCopyWhichClosingDeletes) {
  int code = -1;
  ASSERT_NE(m_mgr->CreateProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectOk);
  const std::string project = m_dir.File("ws/db.v5/SportProjIndex");
  EXPECT_EQ(List(project), (Names{"attachfile", "bruser.brx", "bruser.poi", "icon", "imagegrid"}));
  EXPECT_EQ(List(WorkingCopy()), (Names{"attachfile", "bruser.brx", "bruser.poi", "icon", "imagegrid"}));
  EXPECT_EQ(m_mgr->GetWorkingCopyFolder().ToUtf8(), WorkingCopy());
  EXPECT_EQ(TypesOf(m_mgr->GetDocument()), (Names{"Place Mark:9", "Route:11"}));

  EXPECT_EQ(m_mgr->CloseActiveProject(), kProjectOk);
  EXPECT_FALSE(fs::exists(WorkingCopy()));
  EXPECT_EQ(m_mgr->GetDocument(), nullptr);
  EXPECT_EQ(List(project).size(), 5u) << "the project itself stays";

  // The map file that comes last by name is copied (the mask ignores case);
  // what a run that ended without closing left in the working copy goes.
  WriteBytes(project + "/2024.bin", "old map");
  WriteBytes(project + "/2025.BIN", "new map");
  WriteBytes(project + "/notes.txt", "not copied");
  WriteBytes(project + "/attachfile/photo.jpg", "jpg");
  WriteBytes(project + "/icon/Route.png", "png");
  fs::create_directories(project + "/imagegrid/tiles");
  fs::create_directories(WorkingCopy());
  WriteBytes(WorkingCopy() + "/stale.bin", "left over");
  ASSERT_NE(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectOk);
  EXPECT_EQ(List(WorkingCopy()), (Names{"2025.BIN", "attachfile", "bruser.brx", "bruser.poi", "icon", "imagegrid"}));
  EXPECT_EQ(ReadBytes(WorkingCopy() + "/2025.BIN"), "new map");
  EXPECT_EQ(m_mgr->GetProjectName(), CString(u"SportProjIndex"));
  ASSERT_EQ(m_mgr->GetAttachments().GetCount(), 1);
  EXPECT_EQ(m_mgr->GetAttachments().GetName(0), CString(u"photo.jpg"));
  EXPECT_EQ(ProjectIconMgr::GetInstance()->GetIconPath(u"Route.png").ToUtf8(), project + "/icon/Route.png");
  ASSERT_EQ(m_mgr->GetImageFolders().size(), 1u);
  EXPECT_EQ(m_mgr->GetImageFolders()[0].name, CString(u"tiles"));

  // Opening again replaces the working copy; closing leaves none.
  ASSERT_NE(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(m_mgr->CloseActiveProject(), kProjectOk);
  EXPECT_FALSE(fs::exists(WorkingCopy()));
  EXPECT_EQ(m_mgr->CloseActiveProject(), kProjectOk) << "nothing open";
}

TEST_F(ProjectWorkspaceTest, RefusedCreatesAndFailedOpensLeaveNoWorkingCopy) {
  fs::create_directories(m_dir.File("ws/db.v5/Broken"));
  WriteBytes(m_dir.File("ws/db.v5/Broken/bruser.brx"), "<brPROJECT name=\"bruser\" poi=\"bruser.poi\"></brPROJECT>");
  WriteBytes(m_dir.File("ws/db.v5/Broken/bruser.poi"), "");
  WriteBytes(m_dir.File("ws/db.v5/AFile"), "a file, not a project");
  WriteBytes(m_dir.File("ws/keep.txt"), "the workspace's own");
  const struct {
    const char16_t* name;
    bool create;
    int code;
  } cases[] = {
      {u"Broken", false, kProjectNotOpened},  // a descriptor that is not UTF-16: copied, not opened
      {u"Missing", false, kProjectNotOpened},
      {u"..", false, kProjectNotOpened},  // the workspace itself would be the working copy
      {u"../db.v5", false, kProjectNotOpened},
      {u"a/b", false, kProjectNotOpened},
      {u"", false, kProjectNotOpened},
      {u"broken", true, kProjectExists},
      {u"AFile", true, kProjectFoldersNotMade},
      {u"x/y", true, kProjectFoldersNotMade},
  };
  for (const auto& c : cases) {
    const std::string name = CString(c.name).ToUtf8();
    int code = -1;
    tgvProject_C* project = c.create ? m_mgr->CreateProject(c.name, code) : m_mgr->OpenProject(c.name, code);
    EXPECT_EQ(project, nullptr) << name;
    EXPECT_EQ(code, c.code) << name;
    EXPECT_EQ(m_mgr->GetDocument(), nullptr) << name;
    EXPECT_TRUE(m_mgr->GetWorkingCopyFolder().IsEmpty()) << name;
    EXPECT_EQ(m_mgr->CloseActiveProject(), kProjectOk) << name;
    EXPECT_EQ(List(m_dir.File("ws/TransferDb")), Names{}) << name;
    EXPECT_EQ(List(m_dir.File("ws/db.v5")), (Names{"AFile", "Broken"})) << name;
    EXPECT_EQ(ReadBytes(m_dir.File("ws/keep.txt")), "the workspace's own") << name;
  }

  // Without a project folder nothing can be made.
  m_mgr->SetProjectFolder(u"");
  int code = -1;
  EXPECT_EQ(m_mgr->CreateProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectFoldersNotMade);
  EXPECT_EQ(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectNotOpened);
}

TEST_F(ProjectWorkspaceTest, AProjectInOtherLetterCaseIsTheProjectForCreateAndOpen) {
  int code = -1;
  ASSERT_NE(m_mgr->CreateProject(u"sportprojindex", code), nullptr);
  EXPECT_EQ(m_mgr->CreateProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(code, kProjectExists);
  EXPECT_TRUE(m_mgr->IsProjectExist(u"SPORTPROJINDEX"));

  ASSERT_NE(m_mgr->OpenProject(u"SportProjIndex", code), nullptr);
  EXPECT_EQ(m_mgr->GetProjectPath().ToUtf8(), m_dir.File("ws/db.v5/sportprojindex"));
  EXPECT_EQ(List(m_dir.File("ws/TransferDb")), Names{"SportProjIndex"});
}

TEST_F(ProjectWorkspaceTest, TheWorkingCopyIsDeletedWhenTheProcessExits) {
  int code = -1;
  ASSERT_NE(m_mgr->CreateProject(u"SportProjIndex", code), nullptr);
  m_mgr->CloseActiveProject();
  EXPECT_EXIT(
      {
        m_mgr->OpenProject(u"SportProjIndex", code);
        std::exit(fs::exists(WorkingCopy()) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_FALSE(fs::exists(WorkingCopy()));
}

}  // namespace
