// The icon list of the open project. A project folder keeps the images of its
// types in its sub-folder "icon"; ProjectIconMgr, the one process-wide keeper,
// is bound to the project folder and its working copy on every project open
// and answers which file holds the icon of a given name, removed icons hidden.
// Names are compared exactly (case-sensitive).
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/classlib/CString.h"
#include "sport/NameList.h"

class IconMgr {
 public:
  virtual ~IconMgr() = default;
  virtual int RemoveIcon(const CString& name) = 0;
  virtual int GetIconList(NameList& out) = 0;
  virtual CString GetIconPath(const CString& name) = 0;

 protected:
  CString m_workIconFolder;  // the working copy's "icon" folder, with a trailing '/'
};

// Where an icon file is: in the project, in the working copy, or removed.
enum IconState : int32_t { kIconInProject = 0, kIconInWorkingCopy = 1, kIconRemoved = 2 };

class ProjectIconMgr : public IconMgr {
 public:
  // The one manager, built on first use and destroyed at exit.
  static ProjectIconMgr* GetInstance();

  // Binds the manager to the working copy and the project folder and lists
  // the files at the top level of the project's "icon" folder (none when it
  // is missing), all in the project.
  void Load(const CString& workingCopy, const CString& projectPath);
  // Marks every entry of that file name removed; 0.
  int RemoveIcon(const CString& name) override;
  // Resets out to the entries not removed (name and extension), in list
  // order; returns their number.
  int GetIconList(NameList& out) override;
  // The path of the icon file of the first entry of that name not removed;
  // empty when there is none.
  CString GetIconPath(const CString& name) override;

 private:
  ProjectIconMgr() = default;

  // Guards everything below and the base's folder: the manager is shared by the process.
  std::mutex m_mutex;
  CString m_projectPath;
  CString m_projectIconFolder;  // with a trailing '/'
  bool m_modified = false;
  NameList m_icons;  // value: IconState
};

// The path (folder joined with the entry's name) of the last top-level entry
// of the folder, in full-path order, whose name with or without its extension
// equals name; empty when none does.
CString FindIconFile(const CString& folder, const CString& name);
