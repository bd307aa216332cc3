#include "sport/ProjectDbMgr.h"

#include <cerrno>
#include <cstdio>

#include "datafiles/DataFiles.h"
#include "icbase/src/icutil/mempool.h"
#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"
#include "platform/win32/shellfileop.h"
#include "platform/win32/threads.h"
#include "sport/FileInfo.h"
#include "sport/FolderHelpers.h"
#include "sport/IconMgr.h"
#include "sport/SportTypes.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvProject.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRegistry.h"

namespace {

const char16_t kDescriptorFile[] = u"bruser.brx";
const char16_t kDatabaseFile[] = u"bruser.poi";
// The files SQLite keeps beside a database while it changes, the longest name first.
const char16_t* const kDatabaseCompanions[] = {u"-journal", u"-wal", u"-shm"};
const char16_t kMapFileMask[] = u"*.bin";
const char16_t kImageFolder[] = u"imagegrid";
const char16_t kIconFolder[] = u"icon";
const char16_t kAttachFolder[] = u"attachfile";
const char kOpenFailed[] = "[OpenProject] Open tgv project ... fail";
// A second open of a freshly created project waits this long (ms) first.
constexpr DWORD kReopenDelay = 500;

CString Normalized(const CString& path) { return CString(NormalizeAbsolutePath(path.Str())); }

// The folder part of a normalised path ("/" for a child of the root).
CString ParentOf(const CString& path) {
  const int slash = path.ReverseFind(PATH_SEP);
  return slash <= 0 ? CString(PATH_SEP_STR) : path.Left(slash);
}

void MakeFolderWhenMissing(const CString& path) {
  if (!FileName_C(path).IsFolder()) CreateDirectoryW(path);
}

bool IsRefusedWrite(int error) { return error == EACCES || error == EPERM || error == EROFS; }

CString WithoutTrailingSlash(CString path) {
  while (path.GetLength() > 1 && path[path.GetLength() - 1] == PATH_SEP) path.Delete(path.GetLength() - 1);
  return path;
}

// Makes the working copy's folders (the transfer folder too when missing).
// False, with the folder that may not be written, only when the system
// refuses the write; other failures show as the copy fails.
bool MakeWorkingFolder(const CString& transfer, const CString& working, CString& unwritable) {
  if (!FileName_C(transfer).IsFolder() && !CreateDirectoryW(transfer) && IsRefusedWrite(errno)) {
    unwritable = ParentOf(transfer);
    return false;
  }
  if (!ProjectDbMgr::CreateProjectSubfolders(working) && IsRefusedWrite(errno) && !FileName_C(working).IsFolder()) {
    unwritable = transfer;
    return false;
  }
  return true;
}

// The last "*.bin" file of the folder in full-path order; empty when none.
CString LastMapFile(const CString& folder) {
  CFileInfoArray found;
  found.AddDir(AddTrailingBackslash(folder), kMapFileMask, false, kFileOrderPathAscending, false, nullptr, nullptr);
  if (found.GetSize() == 0) return CString();
  const CFileInfo& last = found[found.GetSize() - 1];
  return last.GetFileTitle() + last.GetFileExt();
}

// The first sub-folder of the project folder whose name equals name with
// letter case ignored; empty when there is none. Without a project folder
// there is none (an empty folder would list the current directory).
CString FindProjectFolderName(const CString& projectFolder, const CString& name) {
  if (projectFolder.IsEmpty()) return CString();
  NameList folders;
  ListSubfolders(projectFolder, folders);
  for (int i = 0; i < folders.GetCount(); ++i)
    if (folders.GetName(i).CompareNoCase(name) == 0) return folders.GetName(i);
  return CString();
}

}  // namespace

ProjectDbMgr* ProjectDbMgr::GetInstance() {
  static ProjectDbMgr instance;
  return &instance;
}

ProjectDbMgr::ProjectDbMgr() {
  // The open database registry must outlive the manager, whose destructor
  // closes the project at exit: statics go in the reverse order they were made.
  tgvDBRegistry_C::Get();
}

ProjectDbMgr::~ProjectDbMgr() { CloseActiveProject(); }

void ProjectDbMgr::SetProjectFolder(const CString& folder) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_projectFolder = AddTrailingBackslash(folder);
}

CString ProjectDbMgr::GetProjectFolder() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_projectFolder;
}

CString ProjectDbMgr::JoinPath(const CString& folder, const CString& name, bool trailing) {
  CString path = AddTrailingBackslash(folder) + name;
  return trailing ? AddTrailingBackslash(path) : WithoutTrailingSlash(path);
}

bool ProjectDbMgr::CreateProjectSubfolders(const CString& path) {
  if (path.IsEmpty() || !CreateDirectoryW(path)) return false;
  for (const char16_t* sub : {kImageFolder, kIconFolder, kAttachFolder})
    if (!CreateDirectoryW(JoinPath(path, sub, false))) return false;
  return true;
}

bool ProjectDbMgr::CreateProjectFolders(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return false;
  return CreateProjectSubfolders(JoinPath(folder, name, false));
}

bool ProjectDbMgr::IsProjectExist(const CString& name) const {
  return !FindProjectFolderName(GetProjectFolder(), name).IsEmpty();
}

CString ProjectDbMgr::ProjectPathFor(const CString& name) const {
  const CString exact = JoinPath(m_projectFolder, name, false);
  if (FileName_C(exact).IsFolder()) return exact;
  // A workspace made where letter case does not count may hold the project
  // under another case; the create's existence test ignores case as well.
  const CString other = FindProjectFolderName(m_projectFolder, name);
  return other.IsEmpty() ? exact : JoinPath(m_projectFolder, other, false);
}

int ProjectDbMgr::CloseActiveProject() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return CloseLocked();
}

int ProjectDbMgr::CloseLocked() {
  if (!m_project) return kProjectOk;
  m_projectName.Empty();
  m_project->Reset();
  m_project.reset();
  m_pDocument = nullptr;
  m_attachments.Reset(0);
  m_imageFolders.clear();
  // A failed open or create leaves no working copy to delete.
  if (m_workingCopy.IsEmpty()) return kProjectOk;
  const bool deleted = DeleteFolder(m_workingCopy);
  m_workingCopy.Empty();
  return deleted ? kProjectOk : kProjectCopyNotDeleted;
}

void ProjectDbMgr::SetOpenFailureReport(OpenFailureReport report) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_openFailureReport = std::move(report);
}

tgvProject_C* ProjectDbMgr::OpenProject(const CString& name, int& code) {
  tgvProject_C* project;
  OpenFailureReport report;
  ProjectFault fault;
  CString file;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    project = OpenLocked(name, code);
    report = m_openFailureReport;
    fault = m_fault;
    file = m_faultFile;
  }
  // Told without the lock: the UI thread may need the manager meanwhile.
  if (!project) {
    if (report)
      report(fault, file);
    else
      std::fprintf(stderr, "%s\n", kOpenFailed);
  }
  return project;
}

ProjectFault ProjectDbMgr::CopyProjectFiles(const CString& projectPath, const CString& working, CString& file) {
  file = JoinPath(projectPath, kDatabaseFile, false);
  DWORD attributes = 0;
  uint64_t size = 0;
  if (!GetFileStatus(file, &attributes, &size)) return ProjectFault::kMissing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ProjectFault::kUnreadable;
  if (size == 0) return ProjectFault::kEmpty;
  if (!IsReadableFile(file)) return ProjectFault::kUnreadable;
  for (const char16_t* name : {kDescriptorFile, kDatabaseFile}) {
    file = JoinPath(projectPath, name, false);
    if (!CopyFolder(file, JoinPath(working, name, false))) return ProjectFault::kNotCopied;
  }
  // What a writer leaves beside the database is part of it: the hot journal
  // of a change cut short undoes the pages it wrote, a write-ahead log holds
  // what was committed since the file. Copied with it, SQLite rolls back or
  // reads the log in the working copy alone; without them the copy would
  // read half a change as committed.
  for (const char16_t* suffix : kDatabaseCompanions) {
    file = JoinPath(projectPath, kDatabaseFile, false) + suffix;
    if (PathFileExistsW(file) && !CopyFolder(file, JoinPath(working, kDatabaseFile, false) + suffix))
      return ProjectFault::kNotCopied;
  }
  // The map file holds no session: the project opens without it.
  const CString mapFile = LastMapFile(projectPath);
  if (!mapFile.IsEmpty()) CopyFolder(JoinPath(projectPath, mapFile, false), JoinPath(working, mapFile, false));
  file = JoinPath(projectPath, kDatabaseFile, false);
  return ProjectFault::kNone;
}

tgvProject_C* ProjectDbMgr::OpenLocked(const CString& name, int& code) {
  code = kProjectOk;
  CloseLocked();
  m_fault = ProjectFault::kNotCopied;
  m_faultFile = JoinPath(ProjectPathFor(name), kDatabaseFile, false);

  const CString projectFolder = Normalized(m_projectFolder);
  const CString projectPath = Normalized(ProjectPathFor(name));
  const CString transfer = CString(WorkspaceTransferFolder(ParentOf(projectFolder).Str()));
  const CString working = Normalized(JoinPath(transfer, name, false));
  // The working copy is deleted at close with everything in it: it must be
  // a folder of its own directly inside the transfer folder.
  if (projectFolder.IsEmpty() || projectPath.IsEmpty() || ParentOf(working).Compare(transfer) != 0) {
    code = kProjectNotOpened;
    return nullptr;
  }
  m_projectPath = projectPath;
  // Whether a journal lies beside the database can only be known, and the
  // copy only made whole, where the system takes the paths.
  const char16_t* const longest = kDatabaseCompanions[0];
  if (!PathFitsSystem(JoinPath(projectPath, kDatabaseFile, false) + longest) ||
      !PathFitsSystem(JoinPath(working, kDatabaseFile, false) + longest)) {
    m_fault = ProjectFault::kPathTooLong;
    m_faultFile = ParentOf(projectFolder);
    code = kProjectNotOpened;
    return nullptr;
  }

  // What a run that ended without closing left there is not the project's.
  if (GetFileAttributesW(working) != INVALID_FILE_ATTRIBUTES) DeleteFolder(working);
  if (!MakeWorkingFolder(transfer, working, m_faultFile)) {
    m_fault = ProjectFault::kFolderNotWritable;
    code = kProjectNotOpened;
    return nullptr;
  }
  m_fault = CopyProjectFiles(projectPath, working, m_faultFile);
  if (m_fault == ProjectFault::kNone) {
    if (!m_project) m_project = std::make_unique<tgvProject_C>();
    m_pDocument = m_project->Open(AddTrailingBackslash(working));
    if (!m_pDocument) m_fault = ProjectFault::kNotAProject;
  }
  if (!m_pDocument) {
    DeleteFolder(working);
    code = kProjectNotOpened;
    return nullptr;
  }
  m_projectName = name;
  SetProjectFolders(working);
  ListFiles(m_projectAttachFolder, m_attachments);
  for (int i = 0; i < m_attachments.GetCount(); ++i) m_attachments.GetEntry(i)->value = 0;
  return m_project.get();
}

void ProjectDbMgr::SetProjectFolders(const CString& working) {
  m_workingCopy = working;
  m_projectImageFolder = JoinPath(m_projectPath, kImageFolder, true);
  MakeFolderWhenMissing(WithoutTrailingSlash(m_projectImageFolder));
  m_workImageFolder = JoinPath(working, kImageFolder, false);
  MakeFolderWhenMissing(m_workImageFolder);
  RefreshFolderList();
  m_projectAttachFolder = JoinPath(m_projectPath, kAttachFolder, true);
  m_workAttachFolder = JoinPath(working, kAttachFolder, true);
  ProjectIconMgr::GetInstance()->Load(working, m_projectPath);
  MakeFolderWhenMissing(WithoutTrailingSlash(m_projectAttachFolder));
  MakeFolderWhenMissing(WithoutTrailingSlash(m_workAttachFolder));
}

void ProjectDbMgr::RefreshFolderList() {
  m_imageFolders.clear();
  CFileInfoArray found;
  found.AddDir(m_projectImageFolder, u"*", false, kFileOrderPathAscending, true, nullptr, nullptr);
  for (int i = found.GetSize() - 1; i >= 0; --i)
    if (found[i].IsDirectory())
      m_imageFolders.push_back({found[i].GetFileTitle() + found[i].GetFileExt(), found[i].GetFileTitle()});
}

tgvProject_C* ProjectDbMgr::CreateProject(const CString& name, int& code) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!CreateLocked(name, code)) return nullptr;
  }
  tgvProject_C* project = OpenProject(name, code);
  if (!project) {
    Sleep(kReopenDelay);
    project = OpenProject(name, code);
  }
  if (!project) return nullptr;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pDocument) return nullptr;  // closed by another thread meanwhile
  AddMissingTypes();
  return m_project.get();
}

bool ProjectDbMgr::CreateLocked(const CString& name, int& code) {
  code = kProjectOk;
  if (!FindProjectFolderName(m_projectFolder, name).IsEmpty()) {
    code = kProjectExists;
    return false;
  }
  CloseLocked();
  if (!CreateProjectFolders(m_projectFolder, name)) {
    code = kProjectFoldersNotMade;
    return false;
  }
  if (!m_project) m_project = std::make_unique<tgvProject_C>();
  m_pDocument = m_project->Create(JoinPath(m_projectFolder, name, true), 0);
  if (!m_pDocument) {
    code = kProjectNotCreated;
    return false;
  }
  m_project->Save();
  m_project->Reset();
  m_project.reset();
  m_pDocument = nullptr;
  return true;
}

void ProjectDbMgr::AddMissingTypes() {
  PtrList_C types;
  tgvDocument_C* doc = m_pDocument;
  doc->GetTypes(&types, nullptr);
  bool hasPoiType = false, hasLineType = false;
  PtrListNode_C* pos = types.GetHeadPosition();
  while (pos) {
    const auto* type = static_cast<const tgvType_C*>(PtrList_C::GetNext(pos));
    hasPoiType = hasPoiType || type->GetObjType() == kSportPoiKind;
    hasLineType = hasLineType || type->GetObjType() == kSportLineKind;
  }
  tgvDatabase_C* db = doc->GetDatabase();
  if (!hasPoiType) tgvType_C::Create(db, u"Place Mark", u"Place Mark", nullptr, nullptr, kSportPoiKind, true);
  if (!hasLineType) tgvType_C::Create(db, u"Route", u"DefaultRouteIcon", nullptr, nullptr, kSportLineKind, true);
}

tgvType_C* ProjectDbMgr::FindOrCreateType(uint8_t kind, const CString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  tgvDocument_C* doc = m_pDocument;
  return doc ? ::FindOrCreateType(doc->GetDatabase(), kind, name) : nullptr;
}

tgvValueDef_C* ProjectDbMgr::FindOrCreateValueDef(tgvType_C* type, const CString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  tgvDocument_C* doc = m_pDocument;
  return doc ? ::FindOrCreateValueDef(doc->GetDatabase(), type, name) : nullptr;
}

tgvProject_C* ProjectDbMgr::GetProject() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pDocument ? m_project.get() : nullptr;
}

CString ProjectDbMgr::GetProjectName() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_projectName;
}

CString ProjectDbMgr::GetProjectPath() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pDocument ? m_projectPath : CString();
}

CString ProjectDbMgr::GetWorkingCopyFolder() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_workingCopy;
}

NameList ProjectDbMgr::GetAttachments() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_attachments;
}

std::vector<ProjectImageFolder> ProjectDbMgr::GetImageFolders() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_imageFolders;
}
