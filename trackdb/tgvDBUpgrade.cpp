#include "trackdb/tgvDBUpgrade.h"

#include <cstdarg>
#include <string>

#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvSchema.h"
#include "trackdb/tgvSqlDB.h"

namespace {

constexpr const char* kSetVersion = "UPDATE %s SET %s=%d WHERE %s=0";
constexpr const char* kAddIntDefault0 = "ALTER TABLE %s ADD %s INT DEFAULT 0 ;";
constexpr const char* kAddDoubleDefault0 = "ALTER TABLE %s ADD %s DOUBLE DEFAULT 0 ;";

}  // namespace

bool tgvDBUpgrade_C::Run(const char* sql) {
  const std::u16string wide = Utf8ToUtf16(sql);
  return m_db && m_db->Exec(wide.c_str());
}

bool tgvDBUpgrade_C::RunF(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  const std::string sql = FormatAV(format, ap);
  va_end(ap);
  return Run(sql.c_str());
}

bool tgvDBUpgrade_C::InsertSummaryRow(int userType, int kind, const char16_t* table) {
  const std::u16string sql = Utf8ToUtf16(tgvSqlInsertSummary());
  bool hasRow = false;
  const bool ok = m_db->Prepare(sql.c_str()) && m_db->BindInt(1, userType) && m_db->BindInt(2, kind) &&
                  m_db->BindInt(3, 0) && m_db->BindInt(4, 0) && m_db->BindText(5, table) && m_db->Step(&hasRow);
  const bool finalized = m_db->Finalize();
  return ok && finalized;
}

bool tgvDBUpgrade_C::CreateCurrent(const char* table, int kind) {
  const std::string sql = tgvSqlCreateTable(static_cast<uint8_t>(kind), table);
  return !sql.empty() && Run(sql.c_str());
}

bool tgvDBUpgrade_C::Upgrade(int version) {
  if (!m_db || version < tgvOldestUpgradableVersion || version >= tgvFormatVersion) return false;
  static const char* const kTo13[] = {"fTemperature", "fMBar", "fBPM", "fRPM", nullptr};
  static const char* const kTo14[] = {"fGSensorX", "fGSensorY", "fGSensorZ", nullptr};
  static const char* const kTo15[] = {"fMBarAlti", nullptr};
  static const char* const kTo16[] = {"fRPMSpeed", nullptr};
  for (int next = version + 1; next <= tgvFormatVersion; ++next) {
    bool ok = false;
    switch (next) {
      case 10:
        ok = StepTo10();
        break;
      case 11:
        ok = StepTo11();
        break;
      case 12:
        ok = StepTo12();
        break;
      case 13:
        ok = AddDoublesThenVersion("WP", kTo13, 13);
        break;
      case 14:
        ok = AddDoublesThenVersion("GPSLog", kTo14, 14);
        break;
      case 15:
        ok = AddDoublesThenVersion("WP", kTo15, 15);
        break;
      case 16:
        ok = AddDoublesThenVersion("WP", kTo16, 16);
        break;
      default:
        break;
    }
    if (!ok) return false;
  }
  return true;
}

bool tgvDBUpgrade_C::StepTo10() {
  if (!RunF(kSetVersion, tgvSummaryTable, tgvColDBType, 10, tgvColUserType)) return false;
  // The first new record type takes the user type after the last row.
  const std::u16string count = Utf8ToUtf16(FormatA("SELECT COUNT(*) FROM %s;", tgvSummaryTable));
  bool hasRow = false;
  const bool counted = m_db->Prepare(count.c_str()) && m_db->Step(&hasRow) && hasRow;
  const int n = counted ? m_db->ColumnInt(1) : 0;
  if (!m_db->Finalize() || !counted) return false;
  if (!InsertSummaryRow(n, tgvSK_PropInt, u"PropInt") || !InsertSummaryRow(n + 1, tgvSK_PropDouble, u"PropDouble") ||
      !InsertSummaryRow(n + 2, tgvSK_PropText, u"PropText"))
    return false;
  if (!CreateCurrent("PropInt", tgvSK_PropInt) || !CreateCurrent("PropDouble", tgvSK_PropDouble) ||
      !CreateCurrent("PropText", tgvSK_PropText))
    return false;
  if (!RunF(kAddIntDefault0, "TypeD", "fOrder") || !RunF(kAddIntDefault0, "Map", "fOrder")) return false;
  for (const char* column : {"fMapLevel", "fMapGSize", "fMapWidth", "fMapHeight"}) {
    if (!RunF("ALTER TABLE %s ADD %s INT DEFAULT 0;", "Map", column)) return false;
  }
  return true;
}

bool tgvDBUpgrade_C::StepTo11() {
  if (!RunF(kSetVersion, tgvSummaryTable, tgvColDBType, 11, tgvColUserType)) return false;
  if (!RunF("ALTER TABLE %s ADD %s TEXT;", "CP", "fName")) return false;
  if (!RunF(kAddDoubleDefault0, "POI", "fRealLong") || !RunF(kAddDoubleDefault0, "POI", "fRealLati")) return false;
  if (!RunF(kAddIntDefault0, "WP", "fPosX") || !RunF(kAddIntDefault0, "WP", "fPosY")) return false;
  if (!RunF(kAddIntDefault0, "Map", "fMapGlobal")) return false;
  for (const char* column : {"fMapLBLong", "fMapLBLati", "fMapLULong", "fMapLULati", "fMapRULong", "fMapRULati",
                             "fMapRBLong", "fMapRBLati"}) {
    if (!RunF(kAddDoubleDefault0, "Map", column)) return false;
  }
  return true;
}

bool tgvDBUpgrade_C::StepTo12() {
  // WP and Line are emptied but keep their counters: a file whose counters
  // are not 0 then fails to load and, rolled back, stays as it was.
  if (!RunF("DROP TABLE %s ;", "WP") || !RunF("DROP TABLE %s ;", "Line")) return false;
  if (!InsertSummaryRow(tgvUT_VP, tgvSK_VP, u"VP") || !InsertSummaryRow(tgvUT_GPSLog, tgvSK_GPSLog, u"GPSLog") ||
      !InsertSummaryRow(tgvUT_VStyle, tgvSK_Style, u"VStyle") || !InsertSummaryRow(tgvUT_VSTag, tgvSK_Link, u"VSTag"))
    return false;
  if (!RunF("CREATE TABLE %s (%s INT PRIMARY KEY, %s INT, %s INT, %s INT, %s INT, %s INT, %s INT, "
            "%s INT, %s DOUBLE, %s DOUBLE, %s DOUBLE, %s INT);",
            "WP", tgvColID, tgvColZero, "fParentID", "fNextID", "fGPSLogID", "fMapID", "fPosX", "fPosY", "fLongitude",
            "fLatitude", "fAltitude", "fOrder"))
    return false;
  if (!CreateCurrent("Line", tgvSK_Line) || !CreateCurrent("VP", tgvSK_VP) || !CreateCurrent("VStyle", tgvSK_Style))
    return false;
  if (!RunF("CREATE TABLE %s (%s INT PRIMARY KEY, %s INT, %s INT, %s INT, %s DOUBLE);", "GPSLog", tgvColID, tgvColZero,
            "fGPSTime1", "fGPSTime2", "fGPSSpeed"))
    return false;
  if (!CreateCurrent("VSTag", tgvSK_Link)) return false;
  if (!RunF(kAddDoubleDefault0, "POI", "fAltitude")) return false;
  // Every type defined before version 12 classifies POIs (object type 9).
  if (!RunF("ALTER TABLE %s ADD %s INT DEFAULT 9 ;", "TypeD", "fUserFlag")) return false;
  if (!RunF(kAddIntDefault0, "TypeD", "fVStyleID") || !RunF(kAddIntDefault0, "ValD", "fUserFlag")) return false;
  for (const char* table : {"TagD", "FileD"}) {
    if (!RunF("ALTER TABLE %s ADD %s VARCHAR(256) ;", table, "fDescription") ||
        !RunF("ALTER TABLE %s ADD %s TEXT ;", table, "fUserText"))
      return false;
  }
  return RunF(kSetVersion, tgvSummaryTable, tgvColDBType, 12, tgvColUserType);
}

bool tgvDBUpgrade_C::AddDoublesThenVersion(const char* table, const char* const* columns, int version) {
  for (const char* const* c = columns; *c; ++c) {
    if (!RunF(kAddDoubleDefault0, table, *c)) return false;
  }
  return RunF(kSetVersion, tgvSummaryTable, tgvColDBType, version, tgvColUserType);
}
