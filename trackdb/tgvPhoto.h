// Files attached to POIs: a file record (FileD: a photo, a video or another
// file) seen as tgvPhoto_C, and the link record (FTag) from a POI to a file
// seen as tgvPhotoLink_C. Both are views of the flat records, like the other
// record classes; they add no fields.
//
// A file's id numbers the pictures of a photo folder: the picture is
// "p<id>.jpg", its thumbnail "t<id>.jpg". A file's description is its own
// location (used as its link when no photo folder is given), its user text
// its title. Every operation gives 0, null or false when the database is gone.
#pragma once

#include <cstdint>
#include <string>

#include "trackdb/tgvRecord.h"

class tgvPhoto_C : public tgvTagDef_C {
 public:
  // fObjType of photos and videos; other values are other files.
  static constexpr uint8_t kPhoto = 5;
  static constexpr uint8_t kVideo = 7;

  // The record as a file; null unless it is a live FileD record.
  static tgvPhoto_C* From(tgvRecord_C* record);

  const char16_t* GetLocation() const { return GetDescription(); }
  uint8_t GetKind() const { return GetObjType(); }
  const char16_t* GetTitle() const { return GetUserText(); }

  // The POIs of the links that end at this file (and have a start id), in
  // link order; how many were appended.
  uint32_t GetPOIs(PtrList_C* list) const;
  tgvPOI_C* GetFirstPOI() const;
  // The link records that end at this file, in id order.
  uint32_t GetLinks(PtrList_C* list) const;
  bool DeleteLinks(tgvDatabase_C* db);
  // Deletes the file record with its links and its social-service
  // references, so that nothing is left pointing at a deleted file.
  bool Delete();

  // The social-service references: false (outputs null) unless all of
  // "fbID", "fbSrc" and "fbThumb" / both "flickrID" and "flickrSrc" exist.
  bool GetFbInfo(const char16_t** id, const char16_t** source, const char16_t** thumbnail) const;
  bool GetFlickrInfo(const char16_t** id, const char16_t** source) const;

  // "<folder>/t<id>.jpg" and "<folder>/p<id>.jpg"; without a folder (null or
  // empty) the bare file name, never a path from the root.
  std::u16string GetThumbPath(const char16_t* folder) const;
  std::u16string GetPhotoPath(const char16_t* folder) const;

  // The file's object for the map page's scripts:
  // {'id':N,'thumb':'...','link':'...','title':'...'} (thumb only for a
  // photo). photoMode 2: pictures in the photo folder; 3: pictures on the
  // social service; other: the file's own location. Texts are escaped for a
  // JavaScript string.
  void AppendJson(std::u16string* out, const char16_t* photoFolder, int photoMode) const;
};

class tgvPhotoLink_C : public tgvLink_C {
 public:
  // A new link from the POI to the file; null when an argument is missing
  // or the row could not be written.
  static tgvPhotoLink_C* Create(tgvDatabase_C* db, const tgvPOI_C* poi, const tgvPhoto_C* file);
  tgvPOI_C* GetPOI() const;
  tgvPhoto_C* GetFile() const;
};

// The files linked from the POI (links starting at it), in link order; only
// those of the kind (fObjType) when kind is not 0. How many were appended.
uint32_t GetPOIFiles(const tgvPOI_C* poi, PtrList_C* list, uint8_t kind);
