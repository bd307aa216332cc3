// The record types of a project database and the schema kinds that give
// their columns. User types, schema kinds and table names are stored in the
// file (summary table), so their numbers never change.
#pragma once

#include <cstdint>

// Record types, 1..19 (the order of the summary rows).
enum tgvUserType : uint8_t {
  tgvUT_None = 0,
  tgvUT_TypeD = 1,
  tgvUT_TagD = 2,
  tgvUT_FileD = 3,
  tgvUT_ValD = 4,
  tgvUT_NTag = 5,
  tgvUT_FTag = 6,
  tgvUT_Val = 7,
  tgvUT_CP = 8,
  tgvUT_POI = 9,
  tgvUT_WP = 10,
  tgvUT_Line = 11,
  tgvUT_Map = 12,
  tgvUT_PropInt = 13,
  tgvUT_PropDouble = 14,
  tgvUT_PropText = 15,
  tgvUT_VP = 16,
  tgvUT_GPSLog = 17,
  tgvUT_VStyle = 18,
  tgvUT_VSTag = 19,
};

constexpr uint32_t tgvRecordTypeCount = 19;

// Schema kinds: they select the columns, the CREATE/INSERT/UPDATE texts, the
// row reader and writer and the field clearing. 10..15 are not used.
enum tgvSchemaKind : uint8_t {
  tgvSK_None = 0,
  tgvSK_Type = 1,         // TypeD
  tgvSK_Tag = 2,          // TagD, FileD
  tgvSK_ValueDef = 3,     // ValD
  tgvSK_Link = 4,         // NTag, FTag, VSTag
  tgvSK_Val = 5,          // Val
  tgvSK_CP = 6,           // CP
  tgvSK_POI = 7,          // POI
  tgvSK_WP = 8,           // WP
  tgvSK_Line = 9,         // Line
  tgvSK_Map = 16,         // Map
  tgvSK_PropInt = 17,     // PropInt
  tgvSK_PropDouble = 18,  // PropDouble
  tgvSK_PropText = 19,    // PropText
  tgvSK_VP = 20,          // VP
  tgvSK_GPSLog = 21,      // GPSLog
  tgvSK_Style = 22,       // VStyle
};

// The highest schema kind number; kinds run 1..tgvSchemaKindMax with gaps.
constexpr uint8_t tgvSchemaKindMax = 22;

// One entry of a record type table. The table ends with an all-zero entry.
struct tgvRecordTypeEntry {
  uint8_t userType;
  uint8_t schemaKind;
  uint16_t zero;
  uint32_t recordSize;  // bytes of one in-memory record of this type
  const char16_t* tableName;
};

// The project database's 19 record types and the terminating zero entry.
extern const tgvRecordTypeEntry RecordTypeTable[tgvRecordTypeCount + 1];

// Entry of a user type in RecordTypeTable; null for an unknown type.
const tgvRecordTypeEntry* tgvFindRecordType(uint8_t userType);

// Schema kind of a user type (tgvSK_None for an unknown type).
uint8_t tgvSchemaKindOf(uint8_t userType);

// Narrow table name of a user type (null for an unknown type).
const char* tgvTableNameA(uint8_t userType);
