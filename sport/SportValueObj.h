// A sport object that wraps one stored POI record and reads and writes that
// record's named fields (text values on the field definitions of the POI type
// named by the object's type name, SportFieldIds.h).
//
// Every value object is entered in a process-wide map from its record's id,
// so that the model can find the object of a record; the map is locked.
// The record belongs to the project database, not to the object. After
// Remove the record is gone: the object forgets it, reads give empty texts
// and writes do nothing.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"
#include "sport/SportObj.h"

class tgvPOI_C;

class CSportValueObj : public CSportObj {
 public:
  // Enters the object in the map under the record's id, replacing an earlier
  // entry of the same id. A null record makes an empty object.
  CSportValueObj(tgvPOI_C* record, const CString& typeName);
  // Takes the object's own entry out of the map.
  ~CSportValueObj() override;
  CSportValueObj(const CSportValueObj&) = delete;
  CSportValueObj& operator=(const CSportValueObj&) = delete;

  // Writes the field's text: replaces the record's value for the field, or
  // creates one. Nothing happens without a record or a type.
  void SetText(const CString& key, const CString& text);
  // The number as "%f".
  void SetDouble(const CString& key, double value);
  // The field's text; empty when the record, type, field or value is missing.
  CString GetText(const CString& key) const;
  // Two numbers kept as "first second": first := the text before the first
  // space, second := the text from the space on, each read as a number ('.'
  // whatever the locale; not a number reads 0.0). Without a space first
  // reads 0.0 and second the whole text ("12.5" gives 0.0, 12.5), which is how
  // stored data are meant. An empty text leaves both outputs unchanged.
  void GetPair(const CString& key, double* first, double* second) const;
  // Takes the object out of the map and deletes the stored POI with its
  // values, tags and attachments; the object stays, without a record.
  virtual void Remove();

  tgvPOI_C* GetRecord() const { return m_pRecord; }
  const CString& GetTypeName() const { return m_strTypeName; }
  // The id of the field definition named key under the object's type; 0
  // without a record or an open database.
  uint32_t GetFieldDefId(const CString& key) const;

  // The value object entered under a record id; null when none.
  static CSportValueObj* FindByRecordId(uint32_t id);

 private:
  CString m_strTypeName;
  tgvPOI_C* m_pRecord;
};
