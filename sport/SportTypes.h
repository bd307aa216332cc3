// Types and field definitions of the sport classes. The sport model keeps no
// tables of its own: a sport class is a top-level type of the project
// database (users and lap points are POI types, tracks a line type) and each
// named field of it is a text value definition of that type, named by the
// field key. The helpers find them and create what is missing, so that a
// project that never held sport objects gets its types and fields on first
// use.
//
// The project database is the one the sport objects' records belong to.
// Both helpers hold its lock, so two threads asking for the same missing
// type or field create it once.
#pragma once

#include <cstdint>

class CString;
class tgvDatabase_C;
class tgvType_C;
class tgvValueDef_C;

// Object kinds of the sport types (record types of their objects).
constexpr uint8_t kSportPoiKind = 9;    // users, lap points
constexpr uint8_t kSportLineKind = 11;  // tracks

// The first top-level type (in the types' order) of the object kind whose name
// equals name exactly (case-sensitive); created when there is none, with the
// name also as its icon, no parent, last in order, the system flag set. Null
// when the database is null or not open.
tgvType_C* FindOrCreateType(tgvDatabase_C* db, uint8_t kind, const CString& name);

// The first text definition (value type 1) of the type, inherited ones first,
// whose name equals name exactly; definitions of another value type are
// passed over even when the name matches. Created at the end of the type's
// chain, without the system flag, when there is none. Null when the database
// is null or not open, or for a null type.
tgvValueDef_C* FindOrCreateValueDef(tgvDatabase_C* db, tgvType_C* type, const CString& name);
