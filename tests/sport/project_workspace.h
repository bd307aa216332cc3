// A workspace in a temporary folder, with HOME and XDG pointed there and the
// project manager bound to its db.v5 folder. The manager is process-wide:
// each test closes what it opened.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "sport/ProjectDbMgr.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

class ProjectWorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_dir.File("ws/db.v5"));
    m_mgr->SetProjectFolder(CString::FromUtf8(m_dir.File("ws/db.v5")));
  }
  void TearDown() override { m_mgr->CloseActiveProject(); }

  // Where the working copy of a project called name is.
  std::string WorkingCopy(const std::string& name = "SportProjIndex") const {
    return m_dir.File("ws/TransferDb/" + name);
  }
  // The sorted names in a folder, without the database's journal of an
  // open document; none when the folder is missing.
  static std::vector<std::string> List(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(folder, ec))
      if (e.path().filename() != "bruser.poi-journal") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
  ProjectDbMgr* m_mgr = ProjectDbMgr::GetInstance();
};
