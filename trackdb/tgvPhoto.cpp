#include "trackdb/tgvPhoto.h"

#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvMapPage.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

std::u16string FolderFile(const char16_t* folder, char16_t letter, uint32_t id) {
  std::u16string out = folder && *folder ? std::u16string(folder) + u"/" : std::u16string();
  out.push_back(letter);
  for (char c : std::to_string(id)) out.push_back(static_cast<char16_t>(c));
  return out + u".jpg";
}

// Every text of the names, or false (outputs null) when one is missing.
bool PropTexts(const tgvRecord_C* record, std::initializer_list<std::pair<const char16_t*, const char16_t**>> items) {
  bool all = true;
  for (const auto& [name, out] : items) all = record->GetPropText(name) && all;
  for (const auto& [name, out] : items) {
    if (out) *out = all ? record->GetPropText(name) : nullptr;
  }
  return all;
}

}  // namespace

tgvPhoto_C* tgvPhoto_C::From(tgvRecord_C* record) {
  return record && !record->IsDeleted() && record->GetUserType() == tgvUT_FileD ? static_cast<tgvPhoto_C*>(record)
                                                                                : nullptr;
}

uint32_t tgvPhoto_C::GetLinks(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  return db->SelectLinks(list, tgvUT_FTag, 0, 0, tgvUT_FileD, m_id);
}

uint32_t tgvPhoto_C::GetPOIs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  PtrList_C links;
  GetLinks(&links);
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(links)) {
    auto* poi = static_cast<tgvPhotoLink_C*>(r)->GetPOI();
    if (poi && list->AddTail(poi)) ++added;
  }
  return added;
}

tgvPOI_C* tgvPhoto_C::GetFirstPOI() const {
  PtrList_C pois;
  return GetPOIs(&pois) ? static_cast<tgvPOI_C*>(pois.RemoveHead()) : nullptr;
}

bool tgvPhoto_C::DeleteLinks(tgvDatabase_C* db) {
  if (!db) return false;
  DbLock lock = db->Lock();
  PtrList_C links;
  GetLinks(&links);
  bool ok = true;
  for (tgvRecord_C* r : tgvItems(links)) ok = db->DeleteRecord(r, false) && ok;
  return ok;
}

bool tgvPhoto_C::Delete() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return tgvTagDef_C::Delete();  // the social-service references are properties of the file
}

bool tgvPhoto_C::GetFbInfo(const char16_t** id, const char16_t** source, const char16_t** thumbnail) const {
  return PropTexts(this, {{u"fbID", id}, {u"fbSrc", source}, {u"fbThumb", thumbnail}});
}

bool tgvPhoto_C::GetFlickrInfo(const char16_t** id, const char16_t** source) const {
  return PropTexts(this, {{u"flickrID", id}, {u"flickrSrc", source}});
}

std::u16string tgvPhoto_C::GetThumbPath(const char16_t* folder) const { return FolderFile(folder, u't', m_id); }

std::u16string tgvPhoto_C::GetPhotoPath(const char16_t* folder) const { return FolderFile(folder, u'p', m_id); }

void tgvPhoto_C::AppendJson(std::u16string* out, const char16_t* photoFolder, int photoMode) const {
  if (!out) return;
  const bool hasFolder = photoFolder && *photoFolder;
  const char16_t* fbThumb = nullptr;
  const char16_t* fbSource = nullptr;
  const bool onService = photoMode == 3 && GetFbInfo(nullptr, &fbSource, &fbThumb);
  const char16_t* location = GetLocation();
  *out += u"{'id':" + MapPageNumber(m_id) + u",";
  if (GetKind() == kPhoto) {
    std::u16string thumb;
    if (photoMode == 3)
      thumb = onService ? fbThumb : u"";
    else if (hasFolder)
      thumb = photoMode == 2 ? GetThumbPath(photoFolder) : GetPhotoPath(photoFolder);
    else
      thumb = location ? location : u"";
    *out += u"'thumb':'" + MapPageJs(thumb.c_str()) + u"',";
  }
  std::u16string link;
  if (photoMode == 2)
    link = GetPhotoPath(photoFolder);
  else if (photoMode == 3)
    link = onService ? fbSource : u"";
  else
    link = location ? location : u"";
  *out += u"'link':'" + MapPageJs(link.c_str()) + u"','title':'" + MapPageJs(GetTitle()) + u"'}";
}

tgvPhotoLink_C* tgvPhotoLink_C::Create(tgvDatabase_C* db, const tgvPOI_C* poi, const tgvPhoto_C* file) {
  if (!db || !poi || !file) return nullptr;
  return static_cast<tgvPhotoLink_C*>(db->CreateLink(tgvUT_FTag, poi, file));
}

tgvPOI_C* tgvPhotoLink_C::GetPOI() const {
  return m_startType == tgvUT_POI ? tgvLive<tgvPOI_C>(GetManager(), tgvUT_POI, m_startId) : nullptr;
}

tgvPhoto_C* tgvPhotoLink_C::GetFile() const { return tgvLive<tgvPhoto_C>(GetManager(), tgvUT_FileD, m_endId); }

uint32_t GetPOIFiles(const tgvPOI_C* poi, PtrList_C* list, uint8_t kind) {
  tgvDatabase_C* db = poi ? poi->GetManager() : nullptr;
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  PtrList_C links;
  db->SelectLinks(&links, tgvUT_FTag, tgvUT_POI, poi->GetId(), 0, 0);
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(links)) {
    tgvPhoto_C* file = static_cast<tgvPhotoLink_C*>(r)->GetFile();
    if (file && (kind == 0 || file->GetKind() == kind) && list->AddTail(file)) ++added;
  }
  return added;
}
