#include "uploader/WorkspaceFaults.h"

#include <cerrno>
#include <system_error>

#include "platform/classlib/ui/afxwin.h"

namespace {

constexpr UINT kStrProjectFault = 156;  // "... cannot be read from\n%s\n%s\n..."
constexpr UINT kStrFolderFault = 162;   // "The workspace folder\n%s\ncannot be used: %s\n..."
constexpr UINT kStrSystemSays = 166;    // "the system reports: %s."

UINT ProjectReason(ProjectFault fault) {
  switch (fault) {
    case ProjectFault::kMissing:
      return 157;
    case ProjectFault::kEmpty:
      return 158;
    case ProjectFault::kUnreadable:
      return 159;
    case ProjectFault::kNotAProject:
      return 160;
    default:
      return 161;
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
    reason = AfxLoadText(163);
  else if (fault.error == EACCES || fault.error == EPERM)
    reason = AfxLoadText(164);
  else if (fault.error == ENOTDIR || fault.error == EEXIST)
    reason = AfxLoadText(165);
  else
    reason.Format(AfxLoadText(kStrSystemSays),
                  CString::FromUtf8(std::generic_category().message(fault.error)).GetString());
  CString text;
  text.Format(AfxLoadText(kStrFolderFault), fault.folder.GetString(), reason.GetString());
  return text;
}

void ShowWorkspaceFault(const CString& text) { MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION); }
