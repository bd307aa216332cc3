#include "trackdb/tgvSchema.h"

#include <cmath>
#include <cstring>
#include <type_traits>

#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRecordTypes.h"

const char tgvSummaryTable[] = "BR_TGVLib";
const char tgvColID[] = "fID";
const char tgvColZero[] = "fZero";
const char tgvColUserType[] = "fUserType";
const char tgvColDBType[] = "fDBType";
const char tgvColObjNo[] = "fObjNo";
const char tgvColObjFreeNo[] = "fObjFreeNo";
const char tgvColTypeName[] = "fTypeName";

const char16_t tgvMsgCreateSummaryFailed[] = u"create table %s failed.";
const char16_t tgvMsgInsertSummaryFailed[] = u"insert data to summary table failed.";
const char16_t tgvMsgUpdateRowFailed[] = u"update row data(%s) to summary table failed.";
const char16_t tgvMsgUpdateSummaryFailed[] = u"update data to summary table failed.";

namespace {

// Class and type of a data member pointer.
template <auto M>
struct MemberOf;
template <class C, class T, T C::*M>
struct MemberOf<M> {
  using Class = C;
  using Type = T;
};

template <auto M, uint8_t Cls>
tgvColValue ColGet(const tgvRecord_C* r) {
  using C = typename MemberOf<M>::Class;
  using T = typename MemberOf<M>::Type;
  const T& f = static_cast<const C*>(r)->*M;
  tgvColValue v{};
  v.cls = Cls;
  if constexpr (std::is_same_v<T, const char16_t*>) {
    static_assert(Cls == tgvCol_Text);
    v.s = f;
  } else if constexpr (std::is_floating_point_v<T>) {
    static_assert(Cls == tgvCol_Double);
    v.d = f;
  } else if constexpr (Cls == tgvCol_Double) {
    v.d = static_cast<double>(f);
  } else {
    static_assert(Cls == tgvCol_Int && std::is_integral_v<T>);
    v.i = static_cast<int32_t>(f);
  }
  return v;
}

template <auto M, uint8_t Cls>
void ColSet(tgvRecord_C* r, const tgvColValue& v) {
  using C = typename MemberOf<M>::Class;
  using T = typename MemberOf<M>::Type;
  T& f = static_cast<C*>(r)->*M;
  if constexpr (std::is_same_v<T, const char16_t*>) {
    f = v.cls == tgvCol_Text ? v.s : nullptr;
  } else if constexpr (std::is_floating_point_v<T>) {
    f = v.cls == tgvCol_Double ? v.d : v.cls == tgvCol_Int ? static_cast<double>(v.i) : 0.0;
  } else {
    // An integer field kept in a DOUBLE column reads truncated and clamped.
    int32_t i = v.cls == tgvCol_Double ? TruncateToInt32(v.d) : v.cls == tgvCol_Int ? v.i : 0;
    f = static_cast<T>(i);
  }
}

template <auto M>
constexpr uint8_t DefaultClass() {
  using T = typename MemberOf<M>::Type;
  if constexpr (std::is_same_v<T, const char16_t*>)
    return tgvCol_Text;
  else if constexpr (std::is_floating_point_v<T>)
    return tgvCol_Double;
  else
    return tgvCol_Int;
}

// A column whose class follows from the field's type.
template <auto M>
constexpr tgvColumn Col(const char* name, const char* sqlType, uint8_t kept = 0) {
  constexpr uint8_t cls = DefaultClass<M>();
  return tgvColumn{name, sqlType, cls, kept, &ColGet<M, cls>, &ColSet<M, cls>};
}

// An integer field kept in a DOUBLE column.
template <auto M>
constexpr tgvColumn IntAsDouble(const char* name) {
  return tgvColumn{name, "DOUBLE", tgvCol_Double, 0, &ColGet<M, tgvCol_Double>, &ColSet<M, tgvCol_Double>};
}

// A sensor value: a column the read of a track's points leaves out.
template <auto M>
constexpr tgvColumn Sensor(const char* name) {
  tgvColumn c = Col<M>(name, "DOUBLE");
  c.sensor = 1;
  return c;
}

constexpr const char* V256 = "VARCHAR(256)";
constexpr const char* V128 = "VARCHAR(128)";

}  // namespace

// Friend of the record classes: builds the column tables from their fields.
struct tgvSchemaAccess {
  using R = tgvRecord_C;

  static constexpr tgvColumn kType[] = {
      Col<&tgvType_C::m_name>("fName", V256),          Col<&tgvType_C::m_icon>("fIcon", V256),
      Col<&tgvType_C::m_parentId>("fParentID", "INT"), Col<&tgvType_C::m_valId>("fValID", "INT"),
      Col<&tgvType_C::m_order>("fOrder", "INT"),       Col<&R::m_userFlag>("fUserFlag", "INT"),
      Col<&tgvType_C::m_styleId>("fVStyleID", "INT"),
  };
  static constexpr tgvColumn kTag[] = {
      Col<&tgvTagDef_C::m_name>("fName", V256),
      Col<&tgvTagDef_C::m_objType>("fObjType", "INT"),
      Col<&tgvTagDef_C::m_description>("fDescription", V256),
      Col<&tgvTagDef_C::m_userText>("fUserText", "TEXT"),
  };
  static constexpr tgvColumn kValueDef[] = {
      Col<&tgvValueDef_C::m_name>("fName", V256),          Col<&tgvValueDef_C::m_parentId>("fParentID", "INT"),
      Col<&tgvValueDef_C::m_valueType>("fObjType", "INT"), Col<&tgvValueDef_C::m_nextId>("fNextID", "INT"),
      Col<&tgvValueDef_C::m_prevId>("fPrevID", "INT"),     Col<&R::m_userFlag>("fUserFlag", "INT"),
  };
  static constexpr tgvColumn kLink[] = {
      Col<&tgvLink_C::m_startType>("fStartType", "INT"),
      Col<&tgvLink_C::m_startId>("fStartID", "INT"),
      Col<&tgvLink_C::m_endType>("fEndType", "INT"),
      Col<&tgvLink_C::m_endId>("fEndID", "INT"),
  };
  static constexpr tgvColumn kVal[] = {
      Col<&tgvVal_C::m_startType>("fStartType", "INT"), Col<&tgvVal_C::m_startId>("fStartID", "INT"),
      Col<&tgvVal_C::m_endType>("fEndType", "INT"),     Col<&tgvVal_C::m_endId>("fEndID", "INT"),
      Col<&tgvVal_C::m_value>("fValue", "TEXT"),
  };
  static constexpr tgvColumn kCP[] = {
      Col<&tgvControlPoint_C::m_parentId>("fParentID", "INT"),
      Col<&tgvControlPoint_C::m_posX>("fPosX", "INT"),
      Col<&tgvControlPoint_C::m_posY>("fPosY", "INT"),
      Col<&tgvControlPoint_C::m_longitude>("fLongitude", "DOUBLE"),
      Col<&tgvControlPoint_C::m_latitude>("fLatitude", "DOUBLE"),
      Col<&tgvControlPoint_C::m_name>("fName", "TEXT"),
  };
  static constexpr tgvColumn kPOI[] = {
      Col<&tgvPOI_C::m_name>("fName", V128),
      Col<&tgvPOI_C::m_typeId>("fTypeID", "INT"),
      Col<&tgvPOI_C::m_mapId>("fMapID", "INT"),
      IntAsDouble<&tgvPOI_C::m_mapLong>("fLongitude"),
      IntAsDouble<&tgvPOI_C::m_mapLat>("fLatitude"),
      Col<&tgvPOI_C::m_realLong>("fRealLong", "DOUBLE"),
      Col<&tgvPOI_C::m_realLati>("fRealLati", "DOUBLE"),
      Col<&tgvPOI_C::m_altitude>("fAltitude", "DOUBLE"),
  };
  static constexpr tgvColumn kWP[] = {
      Col<&tgvWayPoint_C::m_parentId>("fParentID", "INT"),
      Col<&tgvWayPoint_C::m_nextId>("fNextID", "INT"),
      Col<&tgvWayPoint_C::m_gpsLogId>("fGPSLogID", "INT"),
      Col<&tgvWayPoint_C::m_mapId>("fMapID", "INT"),
      Col<&tgvWayPoint_C::m_posX>("fPosX", "INT"),
      Col<&tgvWayPoint_C::m_posY>("fPosY", "INT"),
      Col<&tgvWayPoint_C::m_longitude>("fLongitude", "DOUBLE"),
      Col<&tgvWayPoint_C::m_latitude>("fLatitude", "DOUBLE"),
      Col<&tgvWayPoint_C::m_altitude>("fAltitude", "DOUBLE"),
      Col<&tgvWayPoint_C::m_order>("fOrder", "INT"),
      Sensor<&tgvWayPoint_C::m_temperature>("fTemperature"),
      Sensor<&tgvWayPoint_C::m_mbar>("fMBar"),
      Sensor<&tgvWayPoint_C::m_bpm>("fBPM"),
      Sensor<&tgvWayPoint_C::m_rpm>("fRPM"),
      Sensor<&tgvWayPoint_C::m_mbarAlti>("fMBarAlti"),
      Sensor<&tgvWayPoint_C::m_rpmSpeed>("fRPMSpeed"),
  };
  static constexpr tgvColumn kLine[] = {
      Col<&tgvLine_C::m_name>("fName", V256),
      Col<&tgvLine_C::m_typeId>("fTypeID", "INT"),
      Col<&tgvLine_C::m_isGroup>("fIsGroup", "INT", /*kept on delete*/ 1),
      Col<&tgvLine_C::m_parentId>("fParentID", "INT"),
      Col<&tgvLine_C::m_vpId>("fVPID", "INT"),
      Col<&tgvLine_C::m_startId>("fStartID", "INT"),
      Col<&tgvLine_C::m_endId>("fEndID", "INT"),
      Col<&tgvLine_C::m_firstWpId>("f1stWPID", "INT"),
      Col<&tgvLine_C::m_lastWpId>("fLstWPID", "INT"),
      Col<&tgvLine_C::m_mapId>("fMapID", "INT"),
  };
  static constexpr tgvColumn kMap[] = {
      Col<&tgvMap_C::m_name>("fName", V256),
      Col<&tgvMap_C::m_file>("fFile", V256),
      Col<&tgvMap_C::m_parentId>("fParentID", "INT"),
      Col<&tgvMap_C::m_beCal>("fBeCal", "INT"),
      Col<&tgvMap_C::m_order>("fOrder", "INT"),
      Col<&tgvMap_C::m_level>("fMapLevel", "INT"),
      Col<&tgvMap_C::m_gridSize>("fMapGSize", "INT"),
      Col<&tgvMap_C::m_width>("fMapWidth", "INT"),
      Col<&tgvMap_C::m_height>("fMapHeight", "INT"),
      Col<&tgvMap_C::m_global>("fMapGlobal", "INT"),
      Col<&tgvMap_C::m_lbLong>("fMapLBLong", "DOUBLE"),
      Col<&tgvMap_C::m_lbLati>("fMapLBLati", "DOUBLE"),
      Col<&tgvMap_C::m_luLong>("fMapLULong", "DOUBLE"),
      Col<&tgvMap_C::m_luLati>("fMapLULati", "DOUBLE"),
      Col<&tgvMap_C::m_ruLong>("fMapRULong", "DOUBLE"),
      Col<&tgvMap_C::m_ruLati>("fMapRULati", "DOUBLE"),
      Col<&tgvMap_C::m_rbLong>("fMapRBLong", "DOUBLE"),
      Col<&tgvMap_C::m_rbLati>("fMapRBLati", "DOUBLE"),
  };
  static constexpr tgvColumn kPropInt[] = {
      Col<&tgvPropBase_C<int32_t>::m_name>("fName", V256),
      Col<&tgvPropBase_C<int32_t>::m_objType>("fObjType", "INT"),
      Col<&tgvPropBase_C<int32_t>::m_objId>("fObjID", "INT"),
      Col<&tgvPropBase_C<int32_t>::m_propFlag>("fUserFlag", "INT"),
      Col<&tgvPropBase_C<int32_t>::m_value>("fValue", "INT"),
  };
  static constexpr tgvColumn kPropDouble[] = {
      Col<&tgvPropBase_C<double>::m_name>("fName", V256),
      Col<&tgvPropBase_C<double>::m_objType>("fObjType", "INT"),
      Col<&tgvPropBase_C<double>::m_objId>("fObjID", "INT"),
      Col<&tgvPropBase_C<double>::m_propFlag>("fUserFlag", "INT"),
      Col<&tgvPropBase_C<double>::m_value>("fValue", "DOUBLE"),
  };
  static constexpr tgvColumn kPropText[] = {
      Col<&tgvPropBase_C<const char16_t*>::m_name>("fName", V256),
      Col<&tgvPropBase_C<const char16_t*>::m_objType>("fObjType", "INT"),
      Col<&tgvPropBase_C<const char16_t*>::m_objId>("fObjID", "INT"),
      Col<&tgvPropBase_C<const char16_t*>::m_propFlag>("fUserFlag", "INT"),
      Col<&tgvPropBase_C<const char16_t*>::m_value>("fValue", "TEXT"),
  };
  static constexpr tgvColumn kVP[] = {
      Col<&tgvVP_C::m_name>("fName", V128),          Col<&tgvVP_C::m_typeId>("fTypeID", "INT"),
      Col<&tgvVP_C::m_parentId>("fParentID", "INT"), Col<&tgvVP_C::m_poiId>("fPOIID", "INT"),
      Col<&tgvVP_C::m_wpId>("fWPID", "INT"),         Col<&tgvVP_C::m_vpId>("fVPID", "INT"),
      Col<&tgvVP_C::m_order>("fOrder", "INT"),
  };
  static constexpr tgvColumn kGPSLog[] = {
      Col<&tgvGPSLog_C::m_time1>("fGPSTime1", "INT"),    Col<&tgvGPSLog_C::m_time2>("fGPSTime2", "INT"),
      Col<&tgvGPSLog_C::m_speed>("fGPSSpeed", "DOUBLE"), Col<&tgvGPSLog_C::m_gx>("fGSensorX", "DOUBLE"),
      Col<&tgvGPSLog_C::m_gy>("fGSensorY", "DOUBLE"),    Col<&tgvGPSLog_C::m_gz>("fGSensorZ", "DOUBLE"),
  };
  static constexpr tgvColumn kStyle[] = {
      Col<&tgvStyle_C::m_name>("fName", V256),
      Col<&tgvStyle_C::m_defineType>("fVSDefineType", "INT"),
      Col<&tgvStyle_C::m_styleType>("fVSStyleType", "INT"),
      Col<&tgvStyle_C::m_pattern>("fVSPattern", "INT"),
      Col<&tgvStyle_C::m_width>("fVSWidth", "INT"),
      Col<&tgvStyle_C::m_height>("fVSHeight", "INT"),
      Col<&tgvStyle_C::m_fillColor>("fVSFColor", "INT"),
      Col<&tgvStyle_C::m_backColor>("fVSBColor", "INT"),
      Col<&tgvStyle_C::m_outlineColor>("fVSOColor", "INT"),
      Col<&tgvStyle_C::m_fontSize>("fVSFontSize", "INT"),
      Col<&tgvStyle_C::m_fontName>("fVSFontName", V128),
      Col<&tgvStyle_C::m_patternName>("fVSPatternName", V128),
      Col<&tgvStyle_C::m_iconName>("fVSIconName", V128),
  };

  // In-memory words cleared with the name on deletion.
  static void ClearMemoryWord(tgvRecord_C* r, uint8_t kind) {
    switch (kind) {
      case tgvSK_Type:
        static_cast<tgvType_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_Tag:
        static_cast<tgvTagDef_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_ValueDef:
        static_cast<tgvValueDef_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_CP:
        static_cast<tgvControlPoint_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_POI:
        static_cast<tgvPOI_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_Line:
        static_cast<tgvLine_C*>(r)->m_group = nullptr;
        break;
      case tgvSK_Map:
        static_cast<tgvMap_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_PropInt:
        static_cast<tgvPropInt_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_PropDouble:
        static_cast<tgvPropDouble_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_PropText:
        static_cast<tgvPropText_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_VP:
        static_cast<tgvVP_C*>(r)->m_memWord = 0;
        break;
      case tgvSK_Style:
        static_cast<tgvStyle_C*>(r)->m_memWord = 0;
        break;
      default:
        break;
    }
    r->m_userFlag = 0;
  }

  static void ResetMemoryOnly(tgvRecord_C* r, uint8_t kind) {
    if (kind == tgvSK_WP) {
      auto* wp = static_cast<tgvWayPoint_C*>(r);
      wp->m_level = 0.0;
      wp->m_segment = nullptr;
    } else if (kind == tgvSK_Line) {
      auto* line = static_cast<tgvLine_C*>(r);
      line->m_group = nullptr;
      line->m_hasBaroAlt = line->m_hasRpm = line->m_hasRpmSpeed = line->m_hasHeartRate = 0;
    }
  }
};

namespace {

#define TGV_SCHEMA(kind, arr, order) \
  tgvSchema { kind, sizeof(arr) / sizeof(arr[0]), arr, order }

const tgvSchema kSchemas[] = {
    TGV_SCHEMA(tgvSK_Type, tgvSchemaAccess::kType, "fOrder"),
    TGV_SCHEMA(tgvSK_Tag, tgvSchemaAccess::kTag, nullptr),
    TGV_SCHEMA(tgvSK_ValueDef, tgvSchemaAccess::kValueDef, nullptr),
    TGV_SCHEMA(tgvSK_Link, tgvSchemaAccess::kLink, nullptr),
    TGV_SCHEMA(tgvSK_Val, tgvSchemaAccess::kVal, nullptr),
    TGV_SCHEMA(tgvSK_CP, tgvSchemaAccess::kCP, nullptr),
    TGV_SCHEMA(tgvSK_POI, tgvSchemaAccess::kPOI, nullptr),
    TGV_SCHEMA(tgvSK_WP, tgvSchemaAccess::kWP, nullptr),
    TGV_SCHEMA(tgvSK_Line, tgvSchemaAccess::kLine, nullptr),
    TGV_SCHEMA(tgvSK_Map, tgvSchemaAccess::kMap, "fOrder"),
    TGV_SCHEMA(tgvSK_PropInt, tgvSchemaAccess::kPropInt, nullptr),
    TGV_SCHEMA(tgvSK_PropDouble, tgvSchemaAccess::kPropDouble, nullptr),
    TGV_SCHEMA(tgvSK_PropText, tgvSchemaAccess::kPropText, nullptr),
    TGV_SCHEMA(tgvSK_VP, tgvSchemaAccess::kVP, nullptr),
    TGV_SCHEMA(tgvSK_GPSLog, tgvSchemaAccess::kGPSLog, nullptr),
    TGV_SCHEMA(tgvSK_Style, tgvSchemaAccess::kStyle, nullptr),
};

#undef TGV_SCHEMA

std::string OrderClause(uint8_t kind) {
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s || !s->orderColumn) return std::string();
  return std::string("ORDER BY ") + s->orderColumn;
}

}  // namespace

const tgvSchema* tgvGetSchema(uint8_t kind) {
  for (const tgvSchema& s : kSchemas)
    if (s.kind == kind) return &s;
  return nullptr;
}

const tgvColumn* tgvFindColumn(uint8_t kind, const char* name) {
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s || !name) return nullptr;
  for (uint32_t i = 0; i < s->columnCount; ++i)
    if (std::strcmp(s->columns[i].name, name) == 0) return &s->columns[i];
  return nullptr;
}

void tgvClearRecordFields(tgvRecord_C* record) {
  if (!record) return;
  const uint8_t kind = record->GetSchemaKind();
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s) return;
  bool hasName = false;
  for (uint32_t i = 0; i < s->columnCount; ++i) {
    const tgvColumn& c = s->columns[i];
    if (std::strcmp(c.name, "fName") == 0) hasName = true;
    if (c.keptOnDelete) continue;
    tgvColValue zero{};
    zero.cls = c.cls;
    c.set(record, zero);
  }
  if (hasName) tgvSchemaAccess::ClearMemoryWord(record, kind);
}

void tgvResetReusedRecord(tgvRecord_C* record) {
  if (!record) return;
  tgvSchemaAccess::ResetMemoryOnly(record, record->GetSchemaKind());
}

// --- statement texts ---

std::string tgvSqlCreateSummary() {
  return std::string("CREATE TABLE ") + tgvSummaryTable + " (" + tgvColUserType + " INT, " + tgvColDBType + " INT, " +
         tgvColObjNo + " INT, " + tgvColObjFreeNo + " INT, " + tgvColTypeName + " VARCHAR(128));";
}

std::string tgvSqlInsertSummary() { return std::string("INSERT INTO ") + tgvSummaryTable + " VALUES(?, ?, ?, ?, ?);"; }

std::string tgvSqlUpdateCounters() {
  return std::string("UPDATE ") + tgvSummaryTable + " SET " + tgvColObjNo + "=?, " + tgvColObjFreeNo + "=? WHERE " +
         tgvColUserType + "=? ;";
}

std::string tgvSqlCreateTable(uint8_t kind, const char* table) {
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s || !table) return std::string();
  std::string sql = std::string("CREATE TABLE ") + table + " (" + tgvColID + " INT PRIMARY KEY, " + tgvColZero + " INT";
  for (uint32_t i = 0; i < s->columnCount; ++i)
    sql += std::string(", ") + s->columns[i].name + " " + s->columns[i].sqlType;
  sql += ");";
  return sql;
}

std::string tgvSqlInsert(uint8_t kind, const char* table) {
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s || !table) return std::string();
  std::string sql = std::string("INSERT INTO ") + table + " VALUES (?, ?";
  for (uint32_t i = 0; i < s->columnCount; ++i) sql += ", ?";
  sql += ");";
  return sql;
}

std::string tgvSqlUpdate(uint8_t kind, const char* table) {
  const tgvSchema* s = tgvGetSchema(kind);
  if (!s || !table) return std::string();
  std::string sql = std::string("UPDATE ") + table + " SET " + tgvColZero + "=?";
  for (uint32_t i = 0; i < s->columnCount; ++i) sql += std::string(", ") + s->columns[i].name + "=?";
  sql += std::string(" WHERE ") + tgvColID + "=? ;";
  return sql;
}

std::string tgvSqlSelectAll(const char* table) { return std::string("SELECT * FROM ") + (table ? table : "") + " ;"; }

std::string tgvSqlSelectWithoutSensors(uint8_t kind, const char* table) {
  const tgvSchema* s = tgvGetSchema(kind);
  bool any = false;
  std::string sql = std::string("SELECT ") + tgvColID + ", " + tgvColZero;
  for (uint32_t i = 0; s && i < s->columnCount; ++i) {
    if (s->columns[i].sensor)
      any = true;
    else
      sql += std::string(", ") + s->columns[i].name;
  }
  return any ? sql + " FROM " + (table ? table : "") + " ;" : tgvSqlSelectAll(table);
}

std::string tgvSqlSelectLiveIds(uint8_t kind, const char* table) {
  return std::string("SELECT ") + tgvColID + " FROM " + (table ? table : "") + " WHERE " + tgvColZero + "=0 " +
         OrderClause(kind) + ";";
}

std::string tgvSqlSelectByOwner(uint8_t kind, const char* table, const char* ownerColumn) {
  return std::string("SELECT ") + tgvColID + " FROM " + (table ? table : "") + " WHERE " + tgvColZero + "=0 AND " +
         (ownerColumn ? ownerColumn : "") + "=? " + OrderClause(kind) + ";";
}

std::string tgvSqlSelectByOwners(uint8_t kind, const char* table, const char* ownerColumn1, const char* ownerColumn2) {
  return std::string("SELECT ") + tgvColID + " FROM " + (table ? table : "") + " WHERE " + tgvColZero + "=0 AND " +
         (ownerColumn1 ? ownerColumn1 : "") + "=? AND " + (ownerColumn2 ? ownerColumn2 : "") + "=? " +
         OrderClause(kind) + ";";
}

// --- search conditions ---

tgvCondition_C::tgvCondition_C() : m_text(std::string(tgvColZero) + "=0 ") {}

void tgvCondition_C::AddInt(int32_t v) {
  Param p{};
  p.cls = tgvCol_Int;
  p.i = v;
  m_params.push_back(std::move(p));
}

void tgvCondition_C::AddDouble(double v) {
  Param p{};
  p.cls = tgvCol_Double;
  p.d = v;
  m_params.push_back(std::move(p));
}

void tgvCondition_C::AddEquals(const char* column, int32_t value) {
  m_text += std::string("AND ") + column + " = ? ";
  AddInt(value);
}

void tgvCondition_C::AddContains(const char* column, const char16_t* text) {
  if (!text || !*text) return;
  // The pattern is '%' || ? || '%'; wildcards and the escape character in
  // the text itself match only themselves.
  std::u16string escaped;
  for (const char16_t* p = text; *p; ++p) {
    if (*p == u'%' || *p == u'_' || *p == u'\\') escaped += u'\\';
    escaped += *p;
  }
  m_text += std::string("AND ") + column + " LIKE '%' || ? || '%' ESCAPE '\\' ";
  Param p{};
  p.cls = tgvCol_Text;
  p.text = std::move(escaped);
  m_params.push_back(std::move(p));
}

void tgvCondition_C::AddIntBox(const char* columnX, const char* columnY, int32_t x1, int32_t x2, int32_t y1,
                               int32_t y2) {
  m_text += std::string("AND ( ") + columnX + " BETWEEN ? AND ? ) AND ( " + columnY + " BETWEEN ? AND ? ) ";
  AddInt(x1);
  AddInt(x2);
  AddInt(y1);
  AddInt(y2);
}

void tgvCondition_C::AddGeoBox(const char* columnX, const char* columnY, double x1, double x2, double y1, double y2) {
  m_text += std::string("AND ( ") + columnX + " BETWEEN ? AND ? ) AND ( " + columnY + " BETWEEN ? AND ? ) ";
  AddDouble(x1);
  AddDouble(x2);
  AddDouble(y1);
  AddDouble(y2);
}

void tgvCondition_C::AddRange(const char* column, int32_t from, int32_t to) {
  m_text += std::string("AND ( ") + column + " BETWEEN ? AND ? ) ";
  AddInt(from);
  AddInt(to);
}

std::string tgvCondition_C::BuildSelect(const char* table, Form form, const char* orderColumn) const {
  std::string clause = "WHERE " + m_text;
  if (form != Plain && orderColumn) {
    clause += std::string("ORDER BY ") + orderColumn + (form == OrderSemicolon ? " ;" : " ");
  }
  return std::string("SELECT ") + tgvColID + " FROM " + (table ? table : "") + " " + clause + ";";
}
