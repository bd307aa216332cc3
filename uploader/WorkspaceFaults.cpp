#include "uploader/WorkspaceFaults.h"

#include <cerrno>
#include <system_error>

#include "platform/classlib/ui/afxwin.h"

namespace {

constexpr UINT kStrProjectFault = 157;  // "... cannot be read from\n%s\n%s\n..."
constexpr UINT kStrFolderFault = 163;   // "The workspace folder\n%s\ncannot be used: %s\n..."
constexpr UINT kStrSystemSays = 167;    // "the system reports: %s."

UINT ProjectReason(ProjectFault fault) {
  switch (fault) {
    case ProjectFault::kMissing:
      return 158;
    case ProjectFault::kEmpty:
      return 159;
    case ProjectFault::kUnreadable:
      return 160;
    case ProjectFault::kNotAProject:
      return 161;
    default:
      return 162;
  }
}

}  // namespace

CString ProjectFaultText(ProjectFault fault, const CString& file) {
  CString text;
  text.Format(AfxLoadText(kStrProjectFault), file.GetString(), AfxLoadText(ProjectReason(fault)).GetString());
  return text;
}

CString WorkspaceFaultText(const WorkspaceFault& fault) {
  CString reason;
  if (fault.error == EROFS)
    reason = AfxLoadText(164);
  else if (fault.error == EACCES || fault.error == EPERM)
    reason = AfxLoadText(165);
  else if (fault.error == ENOTDIR || fault.error == EEXIST)
    reason = AfxLoadText(166);
  else
    reason.Format(AfxLoadText(kStrSystemSays),
                  CString::FromUtf8(std::generic_category().message(fault.error)).GetString());
  CString text;
  text.Format(AfxLoadText(kStrFolderFault), fault.folder.GetString(), reason.GetString());
  return text;
}

void ShowWorkspaceFault(const CString& text) { MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION); }
