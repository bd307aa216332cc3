// Every field of every record kind lands in the column of its name, and
// every column comes back into its field: the typed setter writes a value
// that plain SQL reads from the named column, and a value written into the
// column with SQL is what the typed getter gives after a load.
#include <gtest/gtest.h>

#include <memory>

#include "test_db.h"
#include "trackdb/tgvDatabase.h"

namespace {

struct FieldCase {
  uint8_t userType;
  const char* column;
  void (*setNumber)(tgvRecord_C*, double);
  double (*getNumber)(const tgvRecord_C*);
  void (*setText)(tgvRecord_C*, const char16_t*);
  const char16_t* (*getText)(const tgvRecord_C*);
};

#define NUM(ut, C, col, T, Set, Get)                                                                                \
  FieldCase {                                                                                                       \
    ut, col, [](tgvRecord_C* r, double v) { static_cast<C*>(r)->Set(static_cast<T>(v), 1); },                       \
        [](const tgvRecord_C* r) { return static_cast<double>(static_cast<const C*>(r)->Get()); }, nullptr, nullptr \
  }
#define TXT(ut, C, col, Set, Get)                                                                        \
  FieldCase {                                                                                            \
    ut, col, nullptr, nullptr, [](tgvRecord_C* r, const char16_t* t) { static_cast<C*>(r)->Set(t, 1); }, \
        [](const tgvRecord_C* r) { return static_cast<const C*>(r)->Get(); }                             \
  }
#define NAME(ut) TXT(ut, tgvRecord_C, "fName", SetName, GetName)
#define LINK(ut, C)                                              \
  NUM(ut, C, "fStartType", uint8_t, SetStartType, GetStartType), \
      NUM(ut, C, "fStartID", uint32_t, SetStartID, GetStartID),  \
      NUM(ut, C, "fEndType", uint8_t, SetEndType, GetEndType), NUM(ut, C, "fEndID", uint32_t, SetEndID, GetEndID)
#define TAG(ut)                                                                \
  NAME(ut), NUM(ut, tgvTagDef_C, "fObjType", uint8_t, SetObjType, GetObjType), \
      TXT(ut, tgvTagDef_C, "fDescription", SetDescription, GetDescription),    \
      TXT(ut, tgvTagDef_C, "fUserText", SetUserText, GetUserText)
#define PROP(ut, C)                                                  \
  NAME(ut), NUM(ut, C, "fObjType", uint8_t, SetObjType, GetObjType), \
      NUM(ut, C, "fObjID", uint32_t, SetObjID, GetObjID), NUM(ut, C, "fUserFlag", int32_t, SetPropFlag, GetPropFlag)
#define CORNER(col, c, Long)                                                                  \
  FieldCase {                                                                                 \
    tgvUT_Map, col,                                                                           \
        [](tgvRecord_C* r, double v) {                                                        \
          auto* m = static_cast<tgvMap_C*>(r);                                                \
          m->SetCorner(c, Long ? v : m->GetCornerLong(c), Long ? m->GetCornerLati(c) : v, 1); \
        },                                                                                    \
        [](const tgvRecord_C* r) {                                                            \
          auto* m = static_cast<const tgvMap_C*>(r);                                          \
          return Long ? m->GetCornerLong(c) : m->GetCornerLati(c);                            \
        },                                                                                    \
        nullptr, nullptr                                                                      \
  }

const FieldCase kFields[] = {
    NAME(tgvUT_TypeD),
    TXT(tgvUT_TypeD, tgvType_C, "fIcon", SetIcon, GetIcon),
    NUM(tgvUT_TypeD, tgvType_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_TypeD, tgvType_C, "fValID", uint32_t, SetValID, GetValID),
    NUM(tgvUT_TypeD, tgvType_C, "fOrder", int32_t, SetOrder, GetOrder),
    NUM(tgvUT_TypeD, tgvRecord_C, "fUserFlag", uint8_t, SetUserFlag, GetUserFlag),
    NUM(tgvUT_TypeD, tgvType_C, "fVStyleID", uint32_t, SetVStyleID, GetVStyleID),
    TAG(tgvUT_TagD),
    TAG(tgvUT_FileD),
    NAME(tgvUT_ValD),
    NUM(tgvUT_ValD, tgvValueDef_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_ValD, tgvValueDef_C, "fObjType", uint8_t, SetValueType, GetValueType),
    NUM(tgvUT_ValD, tgvValueDef_C, "fNextID", uint32_t, SetNextID, GetNextID),
    NUM(tgvUT_ValD, tgvValueDef_C, "fPrevID", uint32_t, SetPrevID, GetPrevID),
    NUM(tgvUT_ValD, tgvRecord_C, "fUserFlag", uint8_t, SetUserFlag, GetUserFlag),
    LINK(tgvUT_NTag, tgvLink_C),
    LINK(tgvUT_FTag, tgvLink_C),
    LINK(tgvUT_VSTag, tgvLink_C),
    LINK(tgvUT_Val, tgvVal_C),
    TXT(tgvUT_Val, tgvVal_C, "fValue", SetValue, GetValue),
    NUM(tgvUT_CP, tgvControlPoint_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_CP, tgvControlPoint_C, "fPosX", int32_t, SetPosX, GetPosX),
    NUM(tgvUT_CP, tgvControlPoint_C, "fPosY", int32_t, SetPosY, GetPosY),
    NUM(tgvUT_CP, tgvControlPoint_C, "fLongitude", double, SetLongitude, GetLongitude),
    NUM(tgvUT_CP, tgvControlPoint_C, "fLatitude", double, SetLatitude, GetLatitude),
    NAME(tgvUT_CP),
    NAME(tgvUT_POI),
    NUM(tgvUT_POI, tgvPOI_C, "fTypeID", uint32_t, SetTypeID, GetTypeID),
    NUM(tgvUT_POI, tgvPOI_C, "fMapID", uint32_t, SetMapID, GetMapID),
    NUM(tgvUT_POI, tgvPOI_C, "fLongitude", int32_t, SetMapLongitude, GetMapLongitude),
    NUM(tgvUT_POI, tgvPOI_C, "fLatitude", int32_t, SetMapLatitude, GetMapLatitude),
    NUM(tgvUT_POI, tgvPOI_C, "fRealLong", double, SetRealLong, GetRealLong),
    NUM(tgvUT_POI, tgvPOI_C, "fRealLati", double, SetRealLati, GetRealLati),
    NUM(tgvUT_POI, tgvPOI_C, "fAltitude", double, SetAltitude, GetAltitude),
    NUM(tgvUT_WP, tgvWayPoint_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_WP, tgvWayPoint_C, "fNextID", uint32_t, SetNextID, GetNextID),
    NUM(tgvUT_WP, tgvWayPoint_C, "fGPSLogID", uint32_t, SetGPSLogID, GetGPSLogID),
    NUM(tgvUT_WP, tgvWayPoint_C, "fMapID", uint32_t, SetMapID, GetMapID),
    NUM(tgvUT_WP, tgvWayPoint_C, "fPosX", int32_t, SetPosX, GetPosX),
    NUM(tgvUT_WP, tgvWayPoint_C, "fPosY", int32_t, SetPosY, GetPosY),
    NUM(tgvUT_WP, tgvWayPoint_C, "fLongitude", double, SetLongitude, GetLongitude),
    NUM(tgvUT_WP, tgvWayPoint_C, "fLatitude", double, SetLatitude, GetLatitude),
    NUM(tgvUT_WP, tgvWayPoint_C, "fAltitude", double, SetAltitude, GetAltitude),
    NUM(tgvUT_WP, tgvWayPoint_C, "fOrder", int32_t, SetOrder, GetOrder),
    NUM(tgvUT_WP, tgvWayPoint_C, "fTemperature", double, SetTemperature, GetTemperature),
    NUM(tgvUT_WP, tgvWayPoint_C, "fMBar", double, SetMBar, GetMBar),
    NUM(tgvUT_WP, tgvWayPoint_C, "fBPM", double, SetBPM, GetBPM),
    NUM(tgvUT_WP, tgvWayPoint_C, "fRPM", double, SetRPM, GetRPM),
    NUM(tgvUT_WP, tgvWayPoint_C, "fMBarAlti", double, SetMBarAlti, GetMBarAlti),
    NUM(tgvUT_WP, tgvWayPoint_C, "fRPMSpeed", double, SetRPMSpeed, GetRPMSpeed),
    NAME(tgvUT_Line),
    NUM(tgvUT_Line, tgvLine_C, "fTypeID", uint32_t, SetTypeID, GetTypeID),
    NUM(tgvUT_Line, tgvLine_C, "fIsGroup", uint8_t, SetIsGroup, GetIsGroup),
    NUM(tgvUT_Line, tgvLine_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_Line, tgvLine_C, "fVPID", uint32_t, SetVPID, GetVPID),
    NUM(tgvUT_Line, tgvLine_C, "fStartID", uint32_t, SetStartID, GetStartID),
    NUM(tgvUT_Line, tgvLine_C, "fEndID", uint32_t, SetEndID, GetEndID),
    NUM(tgvUT_Line, tgvLine_C, "f1stWPID", uint32_t, Set1stWPID, Get1stWPID),
    NUM(tgvUT_Line, tgvLine_C, "fLstWPID", uint32_t, SetLstWPID, GetLstWPID),
    NUM(tgvUT_Line, tgvLine_C, "fMapID", uint32_t, SetMapID, GetMapID),
    NAME(tgvUT_Map),
    TXT(tgvUT_Map, tgvMap_C, "fFile", SetFile, GetFile),
    NUM(tgvUT_Map, tgvMap_C, "fParentID", uint32_t, SetParentID, GetParentID),
    NUM(tgvUT_Map, tgvMap_C, "fBeCal", uint8_t, SetBeCal, GetBeCal),
    NUM(tgvUT_Map, tgvMap_C, "fOrder", int32_t, SetOrder, GetOrder),
    NUM(tgvUT_Map, tgvMap_C, "fMapLevel", uint8_t, SetMapLevel, GetMapLevel),
    NUM(tgvUT_Map, tgvMap_C, "fMapGSize", uint16_t, SetMapGSize, GetMapGSize),
    NUM(tgvUT_Map, tgvMap_C, "fMapWidth", int32_t, SetMapWidth, GetMapWidth),
    NUM(tgvUT_Map, tgvMap_C, "fMapHeight", int32_t, SetMapHeight, GetMapHeight),
    NUM(tgvUT_Map, tgvMap_C, "fMapGlobal", uint8_t, SetMapGlobal, GetMapGlobal),
    CORNER("fMapLBLong", tgvMap_C::LeftBottom, true),
    CORNER("fMapLBLati", tgvMap_C::LeftBottom, false),
    CORNER("fMapLULong", tgvMap_C::LeftTop, true),
    CORNER("fMapLULati", tgvMap_C::LeftTop, false),
    CORNER("fMapRULong", tgvMap_C::RightTop, true),
    CORNER("fMapRULati", tgvMap_C::RightTop, false),
    CORNER("fMapRBLong", tgvMap_C::RightBottom, true),
    CORNER("fMapRBLati", tgvMap_C::RightBottom, false),
    PROP(tgvUT_PropInt, tgvPropInt_C),
    NUM(tgvUT_PropInt, tgvPropInt_C, "fValue", int32_t, SetValue, GetValue),
    PROP(tgvUT_PropDouble, tgvPropDouble_C),
    NUM(tgvUT_PropDouble, tgvPropDouble_C, "fValue", double, SetValue, GetValue),
    PROP(tgvUT_PropText, tgvPropText_C),
    TXT(tgvUT_PropText, tgvPropText_C, "fValue", SetValue, GetValue),
    NAME(tgvUT_VP),
    NUM(tgvUT_VP, tgvVP_C, "fTypeID", uint32_t, SetTypeID, GetTypeID),
    NUM(tgvUT_VP, tgvVP_C, "fParentID", uint32_t, SetParentID, GetParentID),
    FieldCase{
        tgvUT_VP, "fPOIID", [](tgvRecord_C* r, double v) { static_cast<tgvVP_C*>(r)->SetPOIID(uint32_t(v), 0, 1); },
        [](const tgvRecord_C* r) { return double(static_cast<const tgvVP_C*>(r)->GetPOIID()); }, nullptr, nullptr},
    FieldCase{tgvUT_VP, "fWPID", [](tgvRecord_C* r, double v) { static_cast<tgvVP_C*>(r)->SetWPID(uint32_t(v), 0, 1); },
              [](const tgvRecord_C* r) { return double(static_cast<const tgvVP_C*>(r)->GetWPID()); }, nullptr, nullptr},
    NUM(tgvUT_VP, tgvVP_C, "fVPID", uint32_t, SetVPID, GetVPID),
    NUM(tgvUT_VP, tgvVP_C, "fOrder", int32_t, SetOrder, GetOrder),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGPSTime1", uint32_t, SetGPSTime1, GetGPSTime1),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGPSTime2", uint32_t, SetGPSTime2, GetGPSTime2),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGPSSpeed", double, SetGPSSpeed, GetGPSSpeed),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGSensorX", double, SetGSensorX, GetGSensorX),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGSensorY", double, SetGSensorY, GetGSensorY),
    NUM(tgvUT_GPSLog, tgvGPSLog_C, "fGSensorZ", double, SetGSensorZ, GetGSensorZ),
    NAME(tgvUT_VStyle),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSDefineType", uint8_t, SetVSDefineType, GetVSDefineType),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSStyleType", uint16_t, SetVSStyleType, GetVSStyleType),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSPattern", int32_t, SetVSPattern, GetVSPattern),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSWidth", int32_t, SetVSWidth, GetVSWidth),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSHeight", int32_t, SetVSHeight, GetVSHeight),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSFColor", uint32_t, SetVSFColor, GetVSFColor),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSBColor", uint32_t, SetVSBColor, GetVSBColor),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSOColor", uint32_t, SetVSOColor, GetVSOColor),
    NUM(tgvUT_VStyle, tgvStyle_C, "fVSFontSize", int32_t, SetVSFontSize, GetVSFontSize),
    TXT(tgvUT_VStyle, tgvStyle_C, "fVSFontName", SetVSFontName, GetVSFontName),
    TXT(tgvUT_VStyle, tgvStyle_C, "fVSPatternName", SetVSPatternName, GetVSPatternName),
    TXT(tgvUT_VStyle, tgvStyle_C, "fVSIconName", SetVSIconName, GetVSIconName),
};

#undef NUM
#undef TXT
#undef NAME
#undef LINK
#undef TAG
#undef PROP
#undef CORNER

// Distinct per field (a swap of two columns shows), small enough for the
// byte-wide fields; the reverse direction uses other values again.
double NumberFor(size_t field, int round) { return 10.0 + static_cast<double>(field % 100) + 120.0 * round; }
std::u16string TextFor(size_t field, int round) {
  return u"t" + Utf8ToUtf16(std::to_string(field) + "." + std::to_string(round));
}

// The column of record 1, as plain SQL reads it.
std::string Column(sqlite3* db, const FieldCase& f, double* number) {
  const std::string sql = std::string("SELECT ") + f.column + " FROM " + tgvTableNameA(f.userType) + " WHERE fID=1;";
  sqlite3_stmt* st = nullptr;
  std::string text = "<no row>";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
    *number = sqlite3_column_double(st, 0);
    const auto* t = static_cast<const char16_t*>(sqlite3_column_text16(st, 0));
    text = t ? Utf16ToUtf8(t) : "<null>";
  }
  sqlite3_finalize(st);
  return text;
}

}  // namespace

TEST(TrackDbColumns, EveryFieldIsWrittenToAndReadFromTheColumnOfItsName) {
  TempDir tmp;
  const std::u16string path = tmp.WFile("bruser.poi");
  {
    tgvDatabase_C db;
    ASSERT_TRUE(db.Open(RecordTypeTable, path.c_str(), nullptr));
    for (uint8_t ut = 1; ut <= tgvRecordTypeCount; ++ut) {
      bool reused = false;
      ASSERT_TRUE(db.InsertRecord(db.NewRecord(ut, &reused)));
    }
    for (size_t i = 0; i < std::size(kFields); ++i) {
      const FieldCase& f = kFields[i];
      tgvRecord_C* r = db.FindRecord(f.userType, 1);
      if (f.setNumber)
        f.setNumber(r, NumberFor(i, 0));
      else
        f.setText(r, TextFor(i, 0).c_str());
    }
    ASSERT_TRUE(db.Flush());
  }

  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open16(path.c_str(), &raw), SQLITE_OK);
  for (size_t i = 0; i < std::size(kFields); ++i) {
    const FieldCase& f = kFields[i];
    SCOPED_TRACE(std::string(tgvTableNameA(f.userType)) + "." + f.column);
    double number = 0.0;
    const std::string text = Column(raw, f, &number);
    if (f.setNumber)
      EXPECT_EQ(number, NumberFor(i, 0)) << text;
    else
      EXPECT_EQ(text, Utf16ToUtf8(TextFor(i, 0)));
    // The reverse: the column written with plain SQL.
    const std::string value = f.setNumber ? std::to_string(NumberFor(i, 1)) : "'" + Utf16ToUtf8(TextFor(i, 1)) + "'";
    ASSERT_TRUE(Exec(
        raw, std::string("UPDATE ") + tgvTableNameA(f.userType) + " SET " + f.column + "=" + value + " WHERE fID=1;"));
  }
  sqlite3_close(raw);

  tgvDatabase_C db;
  ASSERT_TRUE(db.Open(RecordTypeTable, path.c_str(), nullptr));
  for (size_t i = 0; i < std::size(kFields); ++i) {
    const FieldCase& f = kFields[i];
    SCOPED_TRACE(std::string(tgvTableNameA(f.userType)) + "." + f.column);
    const tgvRecord_C* r = db.FindRecord(f.userType, 1);
    if (f.getNumber)
      EXPECT_EQ(f.getNumber(r), NumberFor(i, 1));
    else
      EXPECT_EQ(Utf16ToUtf8(f.getText(r) ? f.getText(r) : u"<null>"), Utf16ToUtf8(TextFor(i, 1)));
  }
}
