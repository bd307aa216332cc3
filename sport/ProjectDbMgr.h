// The process-wide record of where the sport project lives and which project
// is open. The project folder (<workspace>/db.v5/, set by the workspace code)
// holds the projects; the program never opens one in place. An open copies
// the project's "bruser.brx", "bruser.poi" with the journal or write-ahead
// log beside it, and its last "*.bin" file into the working copy
// <workspace>/TransferDb/<name> and opens that copy, where SQLite rolls a
// change cut short back or reads the log; closing the project, and the end
// of the process, delete the working copy again, and with it every change
// made through the document.
//
// Paths are normalised lexically ("db.v5/../TransferDb" is "TransferDb"), so
// a linked db.v5 cannot move the copy or the delete elsewhere. A name that
// would put the working copy anywhere but directly inside the transfer
// folder is refused.
//
// Every operation holds the manager's lock; the open document is an atomic
// member read directly. The message box of a failed open
// is shown by the UI thread, through the UI layer, after the lock is given
// back; the caller waits for it to be answered.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/classlib/CString.h"
#include "sport/NameList.h"

class tgvDocument_C;
class tgvProject_C;
class tgvType_C;
class tgvValueDef_C;

// Codes of CreateProject and OpenProject (their out-parameter) and of
// CloseActiveProject (its result).
enum ProjectCode : int {
  kProjectOk = 0,
  kProjectFoldersNotMade = 2,  // create: the project's folders could not be made
  kProjectNotCreated = 3,      // create: the project could not be created
  kProjectCopyNotDeleted = 5,  // close: the working copy could not be deleted
  kProjectNotOpened = 15,      // open: the working copy could not be made or opened
  kProjectExists = 16,         // create: a project of that name exists (letter case ignored)
};

// Why the last open of a project failed, for the user: which file, and why.
// The last two are faults of the workspace's folders; their file is a folder.
enum class ProjectFault {
  kNone,
  kMissing,            // the project's database file is not there
  kEmpty,              // it has no bytes: a copy that never got its contents
  kUnreadable,         // it cannot be read (no permission, or not a file)
  kNotAProject,        // it is read, but is no project database (damaged, cut short, another kind of file)
  kNotCopied,          // the project's files could not be copied into the working copy
  kFolderNotWritable,  // the working copy cannot be made: the folder that may not be written
  kPathTooLong,        // a file of the project or its working copy is beyond the system's path
                       // limit: the workspace folder (the one above the project folder)
};

// One entry of the project's image-folder list.
struct ProjectImageFolder {
  CString name;   // file name with extension
  CString title;  // without extension
};

class ProjectDbMgr {
 public:
  // The one manager, built on first use; at process exit it closes the open
  // project, which deletes the working copy.
  static ProjectDbMgr* GetInstance();
  ~ProjectDbMgr();
  ProjectDbMgr(const ProjectDbMgr&) = delete;
  ProjectDbMgr& operator=(const ProjectDbMgr&) = delete;

  // The folder that holds the projects (<workspace>/db.v5/).
  void SetProjectFolder(const CString& folder);
  CString GetProjectFolder() const;

  // Makes the project called name in the project folder (descriptor,
  // database, sub-folders "imagegrid", "icon" and "attachfile"), then opens
  // it (once more after 500 ms when that fails) and gives it the POI type
  // "Place Mark" and the line type "Route" when it has none of that kind.
  // Null with kProjectExists, kProjectFoldersNotMade, kProjectNotCreated or
  // the open's code.
  tgvProject_C* CreateProject(const CString& name, int& code);
  // Closes the open project, then opens the working copy of the project
  // called name (a folder of that name in other letter case when none has it
  // exactly). The project's database must be there, have bytes, be readable
  // and copy whole with its journal or log, or nothing is opened: an empty
  // working copy would read as a project without sessions, one without its
  // journal would read a change cut short as committed. kProjectOk, or null with
  // kProjectNotOpened: the failure is reported (SetOpenFailureReport) and no
  // working copy is left behind.
  tgvProject_C* OpenProject(const CString& name, int& code);
  // How a failed open is told: by default the line "[OpenProject] Open tgv
  // project ... fail" on the standard error output, since the sport model has
  // no window; the program installs a report that shows the file and the
  // reason in a message box. Called on the opening thread, without the
  // manager's lock.
  using OpenFailureReport = std::function<void(ProjectFault fault, const CString& file)>;
  void SetOpenFailureReport(OpenFailureReport report);
  // kProjectOk when nothing was open or the working copy is gone,
  // kProjectCopyNotDeleted when it could not be deleted.
  int CloseActiveProject();

  // Whether the project folder has a sub-folder of that name, letter case ignored.
  bool IsProjectExist(const CString& name) const;
  // Makes folder/name and its three sub-folders; false for an empty folder.
  static bool CreateProjectFolders(const CString& folder, const CString& name);
  // Makes path and path/imagegrid, path/icon, path/attachfile in this order;
  // true only when all four were made (a folder that exists is a failure).
  static bool CreateProjectSubfolders(const CString& path);
  // folder + '/' + name (an empty folder gives the name alone), with a
  // trailing '/' when trailing is set and without one otherwise.
  static CString JoinPath(const CString& folder, const CString& name, bool trailing);

  // The type or text field of the open document (see sport/SportTypes.h);
  // null when no document is open.
  tgvType_C* FindOrCreateType(uint8_t kind, const CString& name);
  tgvValueDef_C* FindOrCreateValueDef(tgvType_C* type, const CString& name);

  // The open project and document; null when none. They stay valid until
  // the next open, create or close.
  tgvProject_C* GetProject() const;
  tgvDocument_C* GetDocument() const { return m_pDocument; }
  // Name of the open project, its folder, and the working copy; empty when none.
  CString GetProjectName() const;
  CString GetProjectPath() const;
  CString GetWorkingCopyFolder() const;
  // The files at the top level of the project's "attachfile" folder, as the open found them.
  NameList GetAttachments() const;
  // The sub-folders of the project's "imagegrid" folder, in reverse listing order.
  std::vector<ProjectImageFolder> GetImageFolders() const;

  // The open document, owned by the project; null when none. The sport model
  // reads it directly, from any thread.
  std::atomic<tgvDocument_C*> m_pDocument{nullptr};

 private:
  ProjectDbMgr();

  // The unlocked bodies of the public operations.
  tgvProject_C* OpenLocked(const CString& name, int& code);
  int CloseLocked();
  // Create up to the new project's first save and reset; false with the code set.
  bool CreateLocked(const CString& name, int& code);
  // Copies the project's files at projectPath into working; the fault that
  // stops it, and the file, else kNone.
  static ProjectFault CopyProjectFiles(const CString& projectPath, const CString& working, CString& file);
  // Gives the open document a POI type and a line type when it has none.
  void AddMissingTypes();
  // The project's folder for name: the one of that exact name, else the
  // first sub-folder of the project folder equal to it ignoring case.
  CString ProjectPathFor(const CString& name) const;
  // Binds the open project's folders to the working copy and lists them.
  void SetProjectFolders(const CString& working);
  void RefreshFolderList();

  mutable std::mutex m_mutex;
  OpenFailureReport m_openFailureReport;
  ProjectFault m_fault = ProjectFault::kNone;  // of the last open
  CString m_faultFile;
  std::unique_ptr<tgvProject_C> m_project;
  CString m_projectName;
  CString m_workingCopy;  // deleted from disk at close; no trailing '/'
  CString m_projectFolder;
  CString m_projectImageFolder;  // with a trailing '/'
  CString m_workImageFolder;     // without
  std::vector<ProjectImageFolder> m_imageFolders;
  CString m_workAttachFolder;  // with a trailing '/'
  NameList m_attachments;
  CString m_projectAttachFolder;  // with a trailing '/'
  CString m_projectPath;          // no trailing '/'
};
