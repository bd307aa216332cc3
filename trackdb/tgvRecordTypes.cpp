#include "trackdb/tgvRecordTypes.h"

#include "trackdb/tgvRecord.h"

#define TGV_TYPE(ut, kind, cls, name) \
  tgvRecordTypeEntry { ut, kind, 0, static_cast<uint32_t>(sizeof(cls)), name }

const tgvRecordTypeEntry RecordTypeTable[tgvRecordTypeCount + 1] = {
    TGV_TYPE(tgvUT_TypeD, tgvSK_Type, tgvType_C, u"TypeD"),
    TGV_TYPE(tgvUT_TagD, tgvSK_Tag, tgvTagDef_C, u"TagD"),
    TGV_TYPE(tgvUT_FileD, tgvSK_Tag, tgvTagDef_C, u"FileD"),
    TGV_TYPE(tgvUT_ValD, tgvSK_ValueDef, tgvValueDef_C, u"ValD"),
    TGV_TYPE(tgvUT_NTag, tgvSK_Link, tgvLink_C, u"NTag"),
    TGV_TYPE(tgvUT_FTag, tgvSK_Link, tgvLink_C, u"FTag"),
    TGV_TYPE(tgvUT_Val, tgvSK_Val, tgvVal_C, u"Val"),
    TGV_TYPE(tgvUT_CP, tgvSK_CP, tgvControlPoint_C, u"CP"),
    TGV_TYPE(tgvUT_POI, tgvSK_POI, tgvPOI_C, u"POI"),
    TGV_TYPE(tgvUT_WP, tgvSK_WP, tgvWayPoint_C, u"WP"),
    TGV_TYPE(tgvUT_Line, tgvSK_Line, tgvLine_C, u"Line"),
    TGV_TYPE(tgvUT_Map, tgvSK_Map, tgvMap_C, u"Map"),
    TGV_TYPE(tgvUT_PropInt, tgvSK_PropInt, tgvPropInt_C, u"PropInt"),
    TGV_TYPE(tgvUT_PropDouble, tgvSK_PropDouble, tgvPropDouble_C, u"PropDouble"),
    TGV_TYPE(tgvUT_PropText, tgvSK_PropText, tgvPropText_C, u"PropText"),
    TGV_TYPE(tgvUT_VP, tgvSK_VP, tgvVP_C, u"VP"),
    TGV_TYPE(tgvUT_GPSLog, tgvSK_GPSLog, tgvGPSLog_C, u"GPSLog"),
    TGV_TYPE(tgvUT_VStyle, tgvSK_Style, tgvStyle_C, u"VStyle"),
    TGV_TYPE(tgvUT_VSTag, tgvSK_Link, tgvLink_C, u"VSTag"),
    tgvRecordTypeEntry{0, 0, 0, 0, nullptr},
};

#undef TGV_TYPE

namespace {

// The same names in narrow text, for building statements.
const char* const kTableNamesA[tgvRecordTypeCount + 1] = {
    nullptr, "TypeD", "TagD", "FileD",   "ValD",       "NTag",     "FTag", "Val",    "CP",     "POI",
    "WP",    "Line",  "Map",  "PropInt", "PropDouble", "PropText", "VP",   "GPSLog", "VStyle", "VSTag",
};

}  // namespace

const tgvRecordTypeEntry* tgvFindRecordType(uint8_t userType) {
  if (userType < 1 || userType > tgvRecordTypeCount) return nullptr;
  return &RecordTypeTable[userType - 1];
}

uint8_t tgvSchemaKindOf(uint8_t userType) {
  const tgvRecordTypeEntry* e = tgvFindRecordType(userType);
  return e ? e->schemaKind : static_cast<uint8_t>(tgvSK_None);
}

const char* tgvTableNameA(uint8_t userType) {
  if (userType < 1 || userType > tgvRecordTypeCount) return nullptr;
  return kTableNamesA[userType];
}
