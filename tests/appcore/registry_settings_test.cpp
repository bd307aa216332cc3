#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

namespace {

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";

class RegistrySettingsTest : public ::testing::Test {
 protected:
  // The settings key opened for writing, created when missing.
  static void Write(const std::function<void(CRegistry&)>& fill) {
    CRegistry reg(kRegCreateKey);
    ASSERT_TRUE(reg.Open(kSettingsKey));
    fill(reg);
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
};

TEST_F(RegistrySettingsTest, NothingStoredReadsAsEmptyAndZero) {
  EXPECT_TRUE(GetWorkspaceLocation().IsEmpty());
  EXPECT_EQ(GetDisplayLanguage(), 0);
  CRegistry reg(0);
  EXPECT_FALSE(reg.Open(kSettingsKey));
}

TEST_F(RegistrySettingsTest, DisplayLanguageReadsFromTextOrNumber) {
  const struct {
    const char* what;
    std::function<void(CRegEntry&)> store;
    LANGID expected;
  } cases[] = {
      {"dword", [](CRegEntry& e) { e.SetDword(1041); }, 1041},
      {"text", [](CRegEntry& e) { e.SetString(u"1041"); }, 1041},
      {"not a number", [](CRegEntry& e) { e.SetString(u"abc"); }, 0},
      {"multi", [](CRegEntry& e) { e.SetMultiString({u"1031"}); }, 0},
      // An odd last byte is a character of its own: "103" and then "1".
      {"odd byte count",
       [](CRegEntry& e) {
         e.SetBinary({'1', 0, '0', 0, '3', 0, '1'});
       },
       1031},
  };
  for (const auto& c : cases) {
    Write([&](CRegistry& reg) { c.store(reg[u"DisplayLanguage"]); });
    EXPECT_EQ(GetDisplayLanguage(), c.expected) << c.what;
  }
}

TEST_F(RegistrySettingsTest, WorkspaceLocationComesBackAsWritten) {
  // Also a folder deeper than the text a settings entry holds.
  for (const CString& folder :
       {CString(u"/home/ren\u00e9/Documents/Pelmora_Workspace \"1\"\\x"), CString::FromUtf8(m_dir.Deep(3000, false))}) {
    SetWorkspaceLocation(folder);
    EXPECT_EQ(GetWorkspaceLocation().Str(), folder.Str());
  }
}

TEST_F(RegistrySettingsTest, DaylightSavingGivesTheDisplayZonesBias) {
  const struct {
    const char16_t* zone;
    bool daylight;
    int32_t expected;
  } cases[] = {
      {u"China Standard Time", false, -480},    {u"China Standard Time", true, -540},
      {u"Tokyo Standard Time", true, -600},     {u"W. Europe Standard Time", false, -60},
      {u"W. Europe Standard Time", true, -120}, {u"Pacific Standard Time", true, 420},
      {u"Nowhere Standard Time", false, 0},     {u"Nowhere Standard Time", true, 0},
      {u"china standard time", false, 0},  // the name is compared exactly
  };
  for (const auto& c : cases) {
    Write([&](CRegistry& reg) {
      reg[u"PresetDispTimeZone"].SetString(c.zone);
      reg[u"DaylightSaving"].SetDword(c.daylight ? 1 : 0);
    });
    EXPECT_EQ(GetDaylightSaving(), c.expected) << CString(c.zone).ToUtf8() << " " << c.daylight;
  }
}

TEST_F(RegistrySettingsTest, TheZoneListCarriesRulesAndTheSystemZoneIsTheDefault) {
  std::vector<TimeZoneRecord> zones;
  ASSERT_TRUE(LoadTimeZoneList(zones));
  ASSERT_GT(zones.size(), 100u);
  const TimeZoneRecord* europe = nullptr;
  for (const TimeZoneRecord& z : zones)
    if (z.standardName.Compare(u"W. Europe Standard Time") == 0) europe = &z;
  ASSERT_NE(europe, nullptr);
  EXPECT_EQ(europe->display.Left(12).Str(), u"(UTC+01:00) ");
  // Daylight saving from the last Sunday of March at 02:00 to the last Sunday of October at 03:00.
  const uint8_t standardDate[] = {0, 0, 10, 0, 0, 0, 5, 0, 3, 0}, daylightDate[] = {0, 0, 3, 0, 0, 0, 5, 0, 2, 0};
  EXPECT_EQ(std::vector<uint8_t>(europe->tzi + 12, europe->tzi + 22),
            std::vector<uint8_t>(standardDate, standardDate + 10));
  EXPECT_EQ(std::vector<uint8_t>(europe->tzi + 28, europe->tzi + 38),
            std::vector<uint8_t>(daylightDate, daylightDate + 10));

  ScopedTz tz("Asia/Tokyo");
  EXPECT_EQ(GetPresetDispTimeZone().Str(), u"Tokyo Standard Time");
  EXPECT_EQ(GetDaylightSaving(), -540);
}

TEST_F(RegistrySettingsTest, EntriesBoundTheirTextAndHonourTheFlags) {
  Write([](CRegistry& reg) {
    reg[u"Blob"].SetBinary(std::vector<uint8_t>(10000, 'A'));
    reg[u"Long"].SetString(CString(u'x', 3000));
    reg[u"Multi"].SetMultiString({u"one", u"two"});
  });
  CRegistry reg(kRegNeverWrite);
  ASSERT_TRUE(reg.Open(kSettingsKey));
  EXPECT_EQ(reg[u"Blob"].GetString().GetLength(), kRegEntryTextLimit - 1);
  EXPECT_EQ(reg[u"Long"].GetString().GetLength(), kRegEntryTextLimit);
  EXPECT_EQ(reg[u"Multi"].GetString().Str(), std::u16string(u"one\0two\0", 8));
  reg[u"Unwritten"].SetString(u"kept in memory");
  EXPECT_EQ(reg[u"Unwritten"].GetString().Str(), u"kept in memory");
  CRegistry again(0);
  ASSERT_TRUE(again.Open(kSettingsKey));
  EXPECT_FALSE(again[u"Unwritten"].IsPresent());
  EXPECT_EQ(again[u"Long"].GetString().GetLength(), kRegEntryTextLimit);
}

}  // namespace
