#include "sport/SportProjMgr.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <optional>

#include "datafiles/DataFiles.h"
#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"
#include "platform/win32/openfiles.h"
#include "platform/win32/shellfileop.h"
#include "platform/win32/threads.h"
#include "sport/FileInfo.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportLapPoint.h"
#include "sport/SportTrack.h"
#include "sport/SportTypes.h"
#include "sport/SportUser.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvProject.h"
#include "trackdb/tgvRecord.h"

namespace {

bool PauseASecond() {
  Sleep(1000);
  return true;
}

constexpr const char16_t* kProjectName = u"SportProjIndex";
constexpr const char16_t* kDeletedTrack = u"___Deleted_Track___";
constexpr int kCreateTries = 6;
constexpr double kMilesPerKm = 0.621371;

// The path without trailing separators; the root stays "/".
CString WithoutTrailingSeparators(const CString& path) {
  std::u16string s = path.Str();
  while (s.size() > 1 && s.back() == PATH_SEP) s.pop_back();
  return CString(s.c_str());
}

// JoinFolder for the manager's paths.
CString Join(const CString& folder, const char16_t* name) { return CString(JoinFolder(folder.Str(), name).c_str()); }

// None for a value that is not a number or scales beyond 32 bits: a drag
// type or a run with such a value matches nothing.
std::optional<int32_t> ScaleDragValue(double x) {
  const double scaled = std::trunc(x * 10000.0 + std::copysign(1e-3, x));
  if (!(scaled >= INT32_MIN && scaled <= INT32_MAX)) return std::nullopt;
  return static_cast<int32_t>(scaled);
}

double Normalised(int32_t kind, float value, int32_t imperial) {
  const double v = value;
  if (kind == 0) return imperial ? v / kMilesPerKm : v / 1000.0;
  if (kind == 1) return imperial ? v / kMilesPerKm : v;
  return v;
}

tgvType_C* TypeOf(const tgvRecord_C* record) {
  switch (record->GetUserType()) {
    case kSportPoiKind:
      return static_cast<const tgvPOI_C*>(record)->GetType();
    case kSportLineKind:
      return static_cast<const tgvLine_C*>(record)->GetType();
    default:
      return nullptr;
  }
}

// Every object of the open document of one kind.
void CollectObjects(tgvDocument_C* doc, uint8_t kind, PtrList_C& out) {
  if (kind == kSportPoiKind) {
    doc->GetPOIs(&out, nullptr, GeoBox_C(-5000.0, -5000.0, -5000.0, -5000.0, -5000.0, -5000.0, -5000.0, -5000.0));
    return;
  }
  uint8_t kinds[19] = {};
  kinds[kind - 1] = 1;
  doc->FindObjects(&out, nullptr, GeoBox_C(0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0), kinds, nullptr, -1);
}

}  // namespace

const char16_t* const CSportProjMgr::StatisticNames[15] = {
    u"Total Distance", u"Total Time",          u"Moving Time",  u"Average Speed",  u"Average Moving Speed",
    u"Average Pace",   u"Average Moving Pace", u"Max Speed",    u"Total Calories", u"Average Heart Rate",
    u"Max Heart Rate", u"Average Cadence",     u"Total Ascent", u"Total Descent",  u"Number of Activity"};

CSportProjMgr* CSportProjMgr::GetInstance() {
  static CSportProjMgr instance;
  return &instance;
}

CSportProjMgr::CSportProjMgr() : m_lockPause(PauseASecond) {
  // The registries that the loaded objects leave at their end, and the
  // project they belong to, are made first so that they outlive the manager.
  // A workspace keeps a database open per track in use.
  RaiseOpenFileLimit();
  CSportTrack::FindByName(CString());
  CSportValueObj::FindByRecordId(0);
  ProjectDbMgr::GetInstance();
}

// The sport objects go first; the workspace lock is released last.
CSportProjMgr::~CSportProjMgr() { ReleaseLoaded(); }

tgvDocument_C* CSportProjMgr::OpenPointDatabase(const CString& trackFile) {
  if (!IsPlainDataName(trackFile.Str())) return nullptr;
  const CString folder = GetDatabaseFolder();
  if (folder.IsEmpty()) return nullptr;
  const std::u16string path = Join(Join(folder, trackFile), u"").Str();
  std::lock_guard<std::mutex> guard(m_pointDbLock);
  auto it = m_pointDbs.find(path);
  if (it != m_pointDbs.end()) return it->second->GetDocument();
  auto project = std::make_unique<tgvProject_C>();
  // Read-only: this program never changes the logger program's files. The
  // summary and the upload use no sensor value of a waypoint.
  tgvDocument_C* doc = project->Open(path.c_str(), tgvOpen_ReadPoints);
  if (!doc) return nullptr;
  m_pointDbs.emplace(path, std::move(project));
  return doc;
}

void CSportProjMgr::ClosePointDatabase(tgvDocument_C* doc) {
  std::lock_guard<std::mutex> guard(m_pointDbLock);
  for (auto it = m_pointDbs.begin(); it != m_pointDbs.end(); ++it)
    if (it->second->GetDocument() == doc) {
      m_pointDbs.erase(it);
      return;
    }
}

void CSportProjMgr::ReleaseLoaded() {
  m_bLoaded = false;
  ++m_loadCount;
  std::lock_guard<std::recursive_mutex> guard(m_analysisLock);
  m_pActiveUser = nullptr;
  m_users.clear();
  for (CSportTrack* t : m_tracks) t->ReleaseTrackPoints();
  m_tracks.clear();
  m_ownedTracks.clear();
  m_lapPoints.clear();
  m_ownedLapPoints.clear();
  std::lock_guard<std::mutex> dbs(m_pointDbLock);
  m_pointDbs.clear();
}

void CSportProjMgr::CloseWorkspace() {
  ReleaseLoaded();
  ProjectDbMgr::GetInstance()->CloseActiveProject();
  m_lock.Release();
}

bool CSportProjMgr::IsProjectLoaded() const {
  return m_bLoaded && ProjectDbMgr::GetInstance()->GetDocument() != nullptr;
}

WorkspaceFault CSportProjMgr::GetWorkspaceFault() const {
  std::lock_guard<std::mutex> guard(m_folderLock);
  return m_fault;
}

void CSportProjMgr::SetLockPause(std::function<bool()> pause) { m_lockPause = pause ? std::move(pause) : PauseASecond; }

bool CSportProjMgr::HoldLockWait() {
  int pausing = kLockWaitPausing;
  return m_lockWait.compare_exchange_strong(pausing, kLockWaitHeld);
}

void CSportProjMgr::ResumeLockWait() {
  int held = kLockWaitHeld;
  m_lockWait.compare_exchange_strong(held, kLockWaitPausing);
}

CString CSportProjMgr::GetDatabaseFolder() const {
  std::lock_guard<std::mutex> guard(m_folderLock);
  return m_strDbFolder;
}

CString CSportProjMgr::PrepareDatabaseFolder(const CString& workspace) {
  const CString ws = WithoutTrailingSeparators(workspace);
  if (FileName_C(ws).IsFile()) return workspace;
  const CString target = Join(ws, u"db.v5");
  const CString old = Join(ws, u"db.v4");
  if (!FileName_C(ws).IsFolder()) {
    CreateDirectoryW(ws);
    return target;
  }
  if (FileName_C(target).IsFolder()) return target;
  if (FileName_C(old).IsFolder()) {
    SilentCopy(old.Str(), target.Str(), CopyScope::kFilesAndFolders);
    return target;
  }
  CreateDirectoryW(target);
  CFileInfoArray entries;
  entries.AddDir(Join(ws, u""), u"*", false, kFileOrderPathAscending, true, nullptr, nullptr);
  for (int i = 0; i < entries.GetSize(); ++i) {
    const CString& path = entries[i].GetFilePath();
    // The copy refuses anything that would land inside its own source.
    if (WithoutTrailingSeparators(path) != target) SilentCopy(path.Str(), target.Str(), CopyScope::kFilesAndFolders);
  }
  return target;
}

bool CSportProjMgr::LockWorkspace() {
  const CString folder = GetDatabaseFolder();
  return !folder.IsEmpty() && m_lock.TryLock(Join(folder, u"single").Str());
}

int CSportProjMgr::OpenWorkspace(const char16_t* workspace) {
  if (!workspace) return kWorkspaceBadFolder;
  // The objects of an earlier open belong to its project, which goes now.
  ReleaseLoaded();
  m_lock.Release();
  m_strWorkspace = workspace;
  auto stop = [this](int code, const CString& folder, int error) {
    std::lock_guard<std::mutex> guard(m_folderLock);
    m_fault = {folder, error};
    return code;
  };
  stop(kWorkspaceOk, CString(), 0);
  // Only a lock that another holder has is waited for.
  auto lock = [&](const CString& folder) -> int {
    int error = 0;
    // Each pause lasts while the user holds the wait; the next try follows it.
    const auto pause = [this]() {
      m_lockWait = kLockWaitPausing;
      for (;;) {
        if (!m_lockPause()) return false;
        int pausing = kLockWaitPausing;
        if (m_lockWait.compare_exchange_strong(pausing, kLockWaitTrying)) return true;
      }
    };
    const LockTry got = WaitForLock(m_lock, Join(folder, u"single").Str(), pause, &error);
    m_lockWait = kLockWaitNone;
    if (got == LockTry::kHeld) return kWorkspaceOk;
    return got == LockTry::kBusy ? kWorkspaceBadFolder : stop(kWorkspaceNotWritable, folder, error);
  };
  const CString ws = WithoutTrailingSeparators(m_strWorkspace);
  // A workspace that has its database folder is locked before anything in it
  // is touched; a new one only once its folder is made.
  const bool lockFirst = FileName_C(Join(ws, u"db.v5")).IsFolder();
  if (lockFirst) {
    {
      std::lock_guard<std::mutex> guard(m_folderLock);
      m_strDbFolder = Join(ws, u"db.v5");
    }
    if (const int code = lock(GetDatabaseFolder())) return code;
  }
  const CString db = WithoutTrailingSeparators(PrepareDatabaseFolder(m_strWorkspace));
  if (FileName_C(db).IsFile()) return stop(kWorkspaceBadFolder, db, ENOTDIR);
  if (!FileName_C(db).IsFolder() && !CreateDirectoryW(db)) {
    const int error = errno;
    if (!FileName_C(db).IsFolder()) return stop(kWorkspaceFolderNotMade, db, error);
  }
  {
    std::lock_guard<std::mutex> guard(m_folderLock);
    m_strDbFolder = db;
  }
  ProjectDbMgr* projects = ProjectDbMgr::GetInstance();
  projects->SetProjectFolder(Join(db, u""));
  if (!lockFirst) {
    if (const int code = lock(db)) return code;
  }

  int code = 0;
  for (int i = 0; i < kCreateTries; ++i) {
    if (projects->CreateProject(kProjectName, code) || code == kProjectExists) break;
  }
  projects->OpenProject(kProjectName, code);
  LoadAll();
  return kWorkspaceOk;
}

void CSportProjMgr::LoadAll() {
  if (!ProjectDbMgr::GetInstance()->GetDocument()) return;
  const bool users = LoadUsers();
  const bool tracks = LoadTracks();
  LoadLapPoints();
  // Sorted once here, so that the readers of the lists only read.
  for (auto& user : m_users) user->SortTracksByStartTime();
  m_bLoaded = users && tracks;
}

bool CSportProjMgr::LoadUsers() {
  ProjectDbMgr* projects = ProjectDbMgr::GetInstance();
  tgvDocument_C* doc = projects->GetDocument();
  if (!doc) return false;
  m_users.clear();
  ++m_loadCount;
  m_pActiveUser = nullptr;
  PtrList_C pois;
  CollectObjects(doc, kSportPoiKind, pois);
  tgvType_C* type = projects->FindOrCreateType(kSportPoiKind, u"TypeUser");
  for (PtrListNode_C* pos = pois.GetHeadPosition(); pos;) {
    auto* poi = static_cast<tgvPOI_C*>(PtrList_C::GetNext(pos));
    if (!type || TypeOf(poi) != type) continue;
    m_users.push_back(std::make_unique<CSportUser>(poi));
    if (m_users.back()->m_bActive) m_pActiveUser = m_users.back().get();
  }
  return type != nullptr;
}

bool CSportProjMgr::LoadTracks() {
  ProjectDbMgr* projects = ProjectDbMgr::GetInstance();
  tgvDocument_C* doc = projects->GetDocument();
  if (!doc) return false;
  PtrList_C lines;
  ++m_loadCount;
  CollectObjects(doc, kSportLineKind, lines);
  tgvType_C* type = projects->FindOrCreateType(kSportLineKind, u"TypeTrack");
  for (PtrListNode_C* pos = lines.GetHeadPosition(); pos;) {
    auto* line = static_cast<tgvLine_C*>(PtrList_C::GetNext(pos));
    if (!type || TypeOf(line) != type) continue;
    if (line->GetName() && CString(line->GetName()) == kDeletedTrack) continue;
    m_ownedTracks.push_back(std::make_unique<CSportTrack>(line));
    CSportTrack* track = m_ownedTracks.back().get();
    m_tracks.push_back(track);
    for (auto& user : m_users) {
      const uint32_t id = user->m_pPOI ? user->m_pPOI->GetId() : 0;
      if (static_cast<int64_t>(id) != track->m_nUserID) continue;
      user->AttachTrack(track);
      break;
    }
  }
  return type != nullptr;
}

void CSportProjMgr::LoadLapPoints() {
  ProjectDbMgr* projects = ProjectDbMgr::GetInstance();
  tgvDocument_C* doc = projects->GetDocument();
  if (!doc) return;
  std::lock_guard<std::recursive_mutex> guard(m_analysisLock);
  m_lapPoints.clear();
  m_ownedLapPoints.clear();
  PtrList_C pois;
  CollectObjects(doc, kSportPoiKind, pois);
  tgvType_C* type = projects->FindOrCreateType(kSportPoiKind, u"LapPointTypeName");
  for (PtrListNode_C* pos = pois.GetHeadPosition(); pos;) {
    auto* poi = static_cast<tgvPOI_C*>(PtrList_C::GetNext(pos));
    if (!type || TypeOf(poi) != type) continue;
    m_ownedLapPoints.push_back(std::make_unique<CSportLapPoint>(poi));
    m_lapPoints.push_back(m_ownedLapPoints.back().get());
  }
}

int CSportProjMgr::GetUsers(const CString& nameFilter, PtrList_C& out) const {
  for (const auto& user : m_users)
    if (nameFilter.IsEmpty() || user->m_strName.Find(nameFilter) >= 0) out.AddTail(user.get());
  return static_cast<int>(out.GetCount());
}

void CSportProjMgr::AddDragType(int32_t kind, float first, float second, int32_t imperial) {
  DragType t;
  t.kind = kind;
  t.first = first;
  t.second = second;
  t.imperial = imperial;
  if (kind >= 0 && kind <= 2) {
    t.start = Normalised(kind, first, imperial);
    t.end = Normalised(kind, second, imperial);
  }
  std::lock_guard<std::mutex> guard(m_dragLock);
  m_dragTypes.push_back(t);
}

void CSportProjMgr::DragTypesLoaded() {
  {
    std::lock_guard<std::mutex> guard(m_dragLock);
    m_bDragTypesLoaded = true;
  }
  m_dragLoaded.notify_all();
}

void CSportProjMgr::WaitForDragTypes() {
  std::unique_lock<std::mutex> guard(m_dragLock);
  m_dragLoaded.wait(guard, [this] { return m_bDragTypesLoaded; });
}

void CSportProjMgr::ResetDragTypes() {
  std::lock_guard<std::mutex> guard(m_dragLock);
  m_dragTypes.clear();
  m_bDragTypesLoaded = false;
}

const CSportProjMgr::DragType* CSportProjMgr::FindDragType(int kind, int& index, double start, double end) const {
  const std::optional<int32_t> s = ScaleDragValue(start), e = ScaleDragValue(end);
  if (!s || !e) return nullptr;
  std::lock_guard<std::mutex> guard(m_dragLock);
  for (size_t i = 0; i < m_dragTypes.size(); ++i) {
    const DragType& t = m_dragTypes[i];
    if (ScaleDragValue(t.start) == s && ScaleDragValue(t.end) == e && t.kind == kind) {
      index = static_cast<int>(i);
      return &t;
    }
  }
  return nullptr;
}
