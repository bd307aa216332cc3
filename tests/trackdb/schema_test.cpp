#include <gtest/gtest.h>

#include "trackdb/tgvSchema.h"
#include "trackdb/tgvRecordTypes.h"

TEST(TrackDbSchema, Smoke) {
  EXPECT_EQ(tgvSqlCreateTable(tgvSK_Link, "NTag"),
            "CREATE TABLE NTag (fID INT PRIMARY KEY, fZero INT, fStartType INT, fStartID INT, "
            "fEndType INT, fEndID INT);");
}
