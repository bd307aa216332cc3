// Process-wide caches of the sport types and their field definitions, so that
// the type and field helpers (SportTypes.h) run once per type and per key in
// a run. Each cache holds record ids of the project database (the database
// of the asking object's record) and is never cleared.
//
// Only found ids are kept: a 0 means that no open database was at hand (the
// project is opened on the workspace thread while other threads start), and
// a later call, once the project is open, looks again. A cached id is used
// only while it still names the same type or field in the database at hand,
// so a project opened later never gets another project's ids. Every cache is
// guarded by its own mutex, as the workspace, session-row and upload threads all ask.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

class tgvDatabase_C;
class tgvRecord_C;
class tgvValueDef_C;

// Id of the line type "TypeTrack" (created when missing); 0 without an open
// database.
uint32_t GetTrackTypeId(tgvDatabase_C* db);
// Id of the track type's text field named key (created when missing); 0
// without an open database.
uint32_t GetTrackFieldDefId(tgvDatabase_C* db, const CString& key);
// The same for the POI type "TypeUser" and its fields.
uint32_t GetUserTypeId(tgvDatabase_C* db);
uint32_t GetUserFieldDefId(tgvDatabase_C* db, const CString& key);
// The same for the POI type of the given name (the value objects' types).
uint32_t GetPoiFieldDefId(tgvDatabase_C* db, const CString& typeName, const CString& key);

// The live definition record of a cached id; null for 0 or a gone record.
tgvValueDef_C* FindValueDef(tgvDatabase_C* db, uint32_t id);

// The text of the object's value for the definition of the id; empty when the
// object, the definition or the value is missing.
CString ReadFieldText(const tgvRecord_C* object, uint32_t defId);
// Replaces the text of the object's value for the definition, or creates the
// value; the record is written at once. False when nothing was stored.
bool WriteFieldText(const tgvRecord_C* object, uint32_t defId, const CString& text);
