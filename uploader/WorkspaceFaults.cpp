#include "uploader/WorkspaceFaults.h"

#include <cerrno>
#include <system_error>

#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"

namespace {

UINT ProjectReason(ProjectFault fault) {
  switch (fault) {
    case ProjectFault::kMissing:
      return kStrFileMissing;
    case ProjectFault::kEmpty:
      return kStrFileEmpty;
    case ProjectFault::kUnreadable:
      return kStrFileUnreadable;
    case ProjectFault::kNotAProject:
      return kStrNotAProject;
    default:
      return kStrNotCopied;
  }
}

}  // namespace

CString ProjectFaultText(ProjectFault fault, const CString& file) {
  // The workspace's folders are at fault, not the file.
  if (fault == ProjectFault::kFolderNotWritable) return WorkspaceFaultText({file, EACCES});
  if (fault == ProjectFault::kPathTooLong) return WorkspaceFaultText({file, ENAMETOOLONG});
  CString text;
  text.Format(AfxLoadText(kStrProjectFault), file.GetString(), AfxLoadText(ProjectReason(fault)).GetString());
  return text;
}

CString WorkspaceFaultText(const WorkspaceFault& fault) {
  CString reason;
  if (fault.error == EROFS)
    reason = AfxLoadText(kStrFolderReadOnly);
  else if (fault.error == EACCES || fault.error == EPERM)
    reason = AfxLoadText(kStrFolderNoPermission);
  else if (fault.error == ENOTDIR || fault.error == EEXIST)
    reason = AfxLoadText(kStrFileInPlaceOfFolder);
  else if (fault.error == ENAMETOOLONG)
    reason = AfxLoadText(kStrPathTooLong);
  else
    reason.Format(AfxLoadText(kStrSystemSays),
                  CString::FromUtf8(std::generic_category().message(fault.error)).GetString());
  CString text;
  text.Format(AfxLoadText(kStrFolderFault), fault.folder.GetString(), reason.GetString());
  return text;
}
