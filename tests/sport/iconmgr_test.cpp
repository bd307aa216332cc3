#include "sport/IconMgr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(ProjectIconMgr, ListsTheProjectIconsAndHidesRemovedOnes) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("proj/icon"));
  WriteBytes(dir.File("proj/icon/Route.png"), "r");
  WriteBytes(dir.File("proj/icon/Mark.bmp"), "m");
  ProjectIconMgr* mgr = ProjectIconMgr::GetInstance();
  mgr->Load(CString::FromUtf8(dir.File("work")), CString::FromUtf8(dir.File("proj")));

  NameList list;
  ASSERT_EQ(mgr->GetIconList(list), 2);
  EXPECT_EQ(list.GetName(0).Str(), std::u16string(u"Mark.bmp"));
  EXPECT_EQ(list.GetSecond(0).Str(), std::u16string(u".bmp"));
  EXPECT_EQ(mgr->GetIconPath(u"Route.png").ToUtf8(), dir.File("proj/icon/Route.png"));

  mgr->RemoveIcon(u"Route.png");
  EXPECT_EQ(mgr->GetIconList(list), 1);
  EXPECT_TRUE(mgr->GetIconPath(u"Route.png").IsEmpty());
  EXPECT_TRUE(mgr->GetIconPath(u"route.png").IsEmpty());

  EXPECT_EQ(FindIconFile(CString::FromUtf8(dir.File("proj/icon")), u"Route").ToUtf8(), dir.File("proj/icon/Route.png"));
  EXPECT_TRUE(FindIconFile(CString::FromUtf8(dir.File("proj/icon")), u"Other").IsEmpty());

  mgr->Load(CString::FromUtf8(dir.File("work")), CString::FromUtf8(dir.File("no-icons")));
  EXPECT_EQ(mgr->GetIconList(list), 0);
}

}  // namespace
