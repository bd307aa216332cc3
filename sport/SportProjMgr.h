// The process-wide sport project manager. Given the workspace folder of the
// logger program it prepares the workspace's database folder <workspace>/db.v5
// (copied from db.v4, or made from the workspace's top-level entries), takes
// the workspace lock <workspace>/db.v5/single so that one program at a time
// works on the workspace, has the project-database manager create and open
// the sport project "SportProjIndex" (through its working copy), and loads the
// users, their tracks and the lap points. It also keeps the drag-racing types
// that the application loads from its settings.
//
// The workspace is opened once, on the workspace thread; the loaded objects
// live until the process ends. Users' track lists are sorted at the end of
// the load, so that later readers only read them. The drag-type list is
// guarded; readers that need it whole wait for its loader (WaitForDragTypes).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "icbase/src/icutil/mempool.h"
#include "platform/classlib/CString.h"
#include "platform/win32/workspacelock.h"

class CSportLapPoint;
class CSportTrack;
class CSportUser;
class tgvDocument_C;
class tgvProject_C;

// Results of CSportProjMgr::OpenWorkspace.
enum WorkspaceCode : int {
  kWorkspaceOk = 0,             // the steps ran (also when the project could not be opened)
  kWorkspaceFolderNotMade = 3,  // the database folder does not exist and cannot be made
  kWorkspaceBadFolder = 12,     // no workspace, the database folder is a file, or the lock was given up
  kWorkspaceNotWritable = 13,   // the lock file cannot be made or locked (a read-only folder, no permission)
};

// Why an open of a workspace stopped short: the folder it could not use and
// the system's error number (EROFS, EACCES, ENOTDIR for a file in its place,
// ...). Empty folder and 0 when nothing stopped it.
struct WorkspaceFault {
  CString folder;
  int error = 0;
};

class CSportProjMgr {
 public:
  // One configured drag-racing band.
  struct DragType {
    int32_t kind = 0;  // 0 distance, 1 speed, 2 time (s)
    float first = 0.0f;
    float second = 0.0f;
    int32_t imperial = 0;  // not 0: miles or miles per hour
    double start = 0.0;    // first value in km, km/h or s
    double end = 0.0;
  };

  static CSportProjMgr* GetInstance();
  ~CSportProjMgr();
  CSportProjMgr(const CSportProjMgr&) = delete;
  CSportProjMgr& operator=(const CSportProjMgr&) = delete;

  // The end of a workspace: the loaded objects go, then the project (whose
  // working copy is deleted), and the workspace lock last, so that a program
  // waiting on the lock never finds a working copy.
  void CloseWorkspace();
  // Prepares, locks, creates or opens the sport project and loads it.
  // Blocks while another holder has the workspace lock, trying again after
  // each lock pause; a lock that cannot be taken for any other reason ends
  // the open at once (kWorkspaceNotWritable). Codes 3, 12 (but for a null
  // workspace or a given-up wait) and 13 leave their reason in
  // GetWorkspaceFault. Meant once per run; a later call first lets the
  // objects and the lock of the earlier one go.
  int OpenWorkspace(const char16_t* workspace);
  WorkspaceFault GetWorkspaceFault() const;
  // True while a project is open and its users and tracks were read whole:
  // otherwise what is known says nothing about the sessions of the
  // workspace.
  bool IsProjectLoaded() const;
  // The database folder of the workspace, prepared as described above; the
  // workspace is taken without trailing separators. A workspace that names
  // a file is returned unchanged.
  CString PrepareDatabaseFolder(const CString& workspace);
  // Takes the workspace lock without waiting; true when held.
  bool LockWorkspace();
  // Where OpenWorkspace waits between lock tries: a second unless set (null
  // sets that again). Returns false to give the open up (OpenWorkspace then
  // gives 12).
  void SetLockPause(std::function<bool()> pause);
  // True while OpenWorkspace waits at a lock that another holder has; false
  // from the moment it holds the lock (or gives up), and before it waits.
  bool IsWaitingForLock() const { return m_lockWait.load() != kLockWaitNone; }
  // Keeps a waiting open from trying the lock again until ResumeLockWait:
  // the user may choose another workspace meanwhile, and the open must not
  // go on under that choice. False, nothing held, when the open is not
  // waiting between tries (it holds the lock, or is trying it just now). A
  // held wait still ends when its pause gives the open up.
  bool HoldLockWait();
  void ResumeLockWait();

  // Users, tracks, lap points (when a document is open), then sorts every
  // user's tracks.
  void LoadAll();
  // Each false without a document or when its record type cannot be had.
  bool LoadUsers();
  bool LoadTracks();
  void LoadLapPoints();

  // Appends every user whose name contains the filter (case-sensitive; an
  // empty filter takes all) to out; returns out's count.
  int GetUsers(const CString& nameFilter, PtrList_C& out) const;
  CSportUser* GetActiveUser() const { return m_pActiveUser; }
  // The loaded lap points, in load order.
  const std::vector<CSportLapPoint*>& GetLapPoints() const { return m_lapPoints; }
  // Every loaded track, attached or not.
  const std::vector<CSportTrack*>& GetTracks() const { return m_tracks; }
  // Changes whenever the loaded users or tracks are let go or read anew: a
  // user or track found earlier is the one loaded while this stays the same.
  uint64_t GetLoadCount() const { return m_loadCount; }
  const CString& GetWorkspace() const { return m_strWorkspace; }
  // The database folder <workspace>/db.v5 without a trailing '/'; empty
  // before OpenWorkspace. The point databases of the tracks live in it.
  CString GetDatabaseFolder() const;

  // Appends a drag type, normalising its values (in double).
  void AddDragType(int32_t kind, float first, float second, int32_t imperial);
  // Marks the drag-type list complete and wakes WaitForDragTypes.
  void DragTypesLoaded();
  // Waits until DragTypesLoaded has been called.
  void WaitForDragTypes();
  // Empties the drag-type list and marks it not loaded, so that a new load
  // (a new window in the same process) starts from nothing. No type that
  // FindDragType gave may be in use meanwhile.
  void ResetDragTypes();
  // The first type of the kind whose start and end scale to those of start
  // and end: x 10000, toward zero, after a nudge of 0.001 away from zero so
  // that a value printed with six decimals ("0.700000") and one computed in
  // single precision (0.69999998) both give 7000. Its position through
  // index. Null, index unchanged, when none. A value that is not a number
  // or scales beyond 32 bits, asked for or configured, matches nothing.
  const DragType* FindDragType(int kind, int& index, double start, double end) const;

  // The point database <database folder>/<trackFile>/ of a track, opened
  // read-only on first use and kept until ClosePointDatabase or the end;
  // null when it cannot be opened (tried again at the next call) or when
  // trackFile is not one plain folder name (no separator, not "." or "..",
  // no control character, not empty).
  tgvDocument_C* OpenPointDatabase(const CString& trackFile);
  void ClosePointDatabase(tgvDocument_C* doc);

  // The lock of every track's points and lap analysis: one analysis at a
  // time, and no track's points let go (CSportTrack::ReleaseTrackPoints
  // takes it) while another thread uses them. Whoever uses a track's points
  // or analysis, its statistics included, holds it for the whole use. It is
  // re-entrant, so that such a user may call the analysis.
  std::recursive_mutex& AnalysisLock() const { return m_analysisLock; }

  // The 15 statistic names, in their fixed order.
  static const char16_t* const StatisticNames[15];

 private:
  CSportProjMgr();
  // Lets every loaded object go (their records belong to the open project).
  void ReleaseLoaded();

  CSportUser* m_pActiveUser = nullptr;
  std::vector<std::unique_ptr<CSportUser>> m_users;
  std::vector<std::unique_ptr<CSportTrack>> m_ownedTracks;
  std::vector<CSportTrack*> m_tracks;
  CString m_strWorkspace;
  mutable std::mutex m_folderLock;
  CString m_strDbFolder;
  WorkspaceFault m_fault;  // guarded by m_folderLock
  std::atomic<bool> m_bLoaded{false};
  std::atomic<uint64_t> m_loadCount{0};
  WorkspaceLock m_lock;
  std::function<bool()> m_lockPause;
  // Where a lock wait stands: none, pausing, held by the user, trying.
  enum LockWait : int { kLockWaitNone, kLockWaitPausing, kLockWaitHeld, kLockWaitTrying };
  std::atomic<int> m_lockWait{kLockWaitNone};
  std::vector<std::unique_ptr<CSportLapPoint>> m_ownedLapPoints;
  std::vector<CSportLapPoint*> m_lapPoints;
  mutable std::mutex m_dragLock;
  std::condition_variable m_dragLoaded;
  bool m_bDragTypesLoaded = false;
  std::deque<DragType> m_dragTypes;  // stable addresses for FindDragType
  mutable std::recursive_mutex m_analysisLock;
  std::mutex m_pointDbLock;
  std::map<std::u16string, std::unique_ptr<tgvProject_C>> m_pointDbs;  // by full path
};
