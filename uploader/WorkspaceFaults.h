// The messages that tell the user, in the UI language, why the workspace or
// its project cannot be used: which folder or file, and why.
#pragma once

#include "platform/classlib/CString.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportProjMgr.h"

// "The sessions of the workspace cannot be read from <file> <reason> ...";
// for a fault of the workspace's folders, WorkspaceFaultText of that folder
// (no permission to write, a path too long).
CString ProjectFaultText(ProjectFault fault, const CString& file);
// "The workspace folder <folder> cannot be used: <reason> ...": read-only,
// no permission, a file in the folder's place, a path longer than the
// system accepts, else the system's words.
CString WorkspaceFaultText(const WorkspaceFault& fault);
