// A generated project database in a temporary folder, reopened as the
// program opens it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "icbase/src/icutil/mempool.h"
#include "tests/common/temp_dir.h"
#include "tools/projgen/ProjectGenerator.h"
#include "trackdb/tgvDatabase.h"

class SportProjectTest : public ::testing::Test {
 protected:
  std::u16string DbPath() const { return m_dir.WFile("bruser.poi"); }

  // Closes the generator's database and opens the file again.
  void Reopen() {
    ASSERT_TRUE(m_gen.Close());
    m_db = std::make_unique<tgvDatabase_C>();
    ASSERT_TRUE(m_db->Open(RecordTypeTable, DbPath().c_str(), nullptr));
  }
  void SetUp() override { ASSERT_TRUE(m_gen.Create(DbPath())); }
  void TearDown() override {
    if (m_db) m_db->Close();
  }
  template <class T>
  T* Find(uint8_t userType, uint32_t id) {
    return static_cast<T*>(m_db->FindRecord(userType, id));
  }

  TempDir m_dir;
  projgen::ProjectDb m_gen;
  std::unique_ptr<tgvDatabase_C> m_db;
};

// The points of a line in chain order.
inline void LinePoints(tgvDatabase_C* db, const tgvLine_C* line, PtrList_C* out) {
  auto* p = static_cast<tgvWayPoint_C*>(db->FindRecord(tgvUT_WP, line->Get1stWPID()));
  for (; p; p = p->GetNext()) out->AddTail(p);
}
