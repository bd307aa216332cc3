// A generated project folder in a temporary folder: the generator writes the
// database, the project writes its descriptor, and the test opens it as the
// program does, as a project with its document.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "icbase/src/icutil/mempool.h"
#include "tests/common/temp_dir.h"
#include "tools/projgen/ProjectGenerator.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvProject.h"

class SportProjectTest : public ::testing::Test {
 protected:
  std::u16string Folder() const { return Utf8ToUtf16(m_dir.Path()); }
  std::u16string DbPath() const { return m_dir.WFile("bruser.poi"); }

  void SetUp() override { ASSERT_TRUE(m_gen.Create(DbPath())); }
  // Closes the generator's database and opens the folder as a project.
  void Reopen() {
    ASSERT_TRUE(m_gen.Close());
    ASSERT_TRUE(projgen::FinishProject(Folder()));
    Open();
  }
  // Saves the project and opens it again.
  void SaveAndReopen() {
    ASSERT_TRUE(m_project->Save());
    Open();
  }
  // Starts again with an empty database.
  void Restart() {
    m_project.reset();
    m_db = nullptr;
    m_gen.Close();
    std::filesystem::remove(m_dir.File("bruser.poi"));
    std::filesystem::remove(m_dir.File("bruser.brx"));
    ASSERT_TRUE(m_gen.Create(DbPath()));
  }
  template <class T>
  T* Find(uint8_t userType, uint32_t id) {
    return static_cast<T*>(m_db->FindRecord(userType, id));
  }

  TempDir m_dir;
  projgen::ProjectDb m_gen;
  std::unique_ptr<tgvProject_C> m_project;
  tgvDatabase_C* m_db = nullptr;

 private:
  void Open() {
    m_project = std::make_unique<tgvProject_C>();
    tgvDocument_C* doc = m_project->Open(Folder().c_str());
    ASSERT_TRUE(doc) << m_project->GetErrorCode();
    m_db = doc->GetDatabase();
  }
};
