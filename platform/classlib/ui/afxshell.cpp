// Message boxes, the folder picker, opening web pages and running programs.
#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
// The generic message box needs the dialog declarations above.
#include <wx/generic/msgdlgg.h>
#include <wx/utils.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/classlib/ui/internal/wxbridge.h"
#include "platform/win32/process.h"

namespace afxui {

namespace {

// A message box the layer can find and close (the native GTK one runs a
// loop of its own).
class PmMessageBox : public wxGenericMessageDialog {
 public:
  using wxGenericMessageDialog::wxGenericMessageDialog;
};

int ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type) {
  wxWindow* parent = owner ? Wx(owner) : DefaultOwner();
  if (parent && !parent->IsTopLevel()) parent = wxGetTopLevelParent(parent);
  long style = wxCENTRE;
  switch (type & 0x0F) {
    case MB_OKCANCEL:
      style |= wxOK | wxCANCEL;
      break;
    case MB_YESNO:
      style |= wxYES_NO;
      break;
    default:
      style |= wxOK;
      break;
  }
  switch (type & 0xF0) {
    case MB_ICONEXCLAMATION:
      style |= wxICON_EXCLAMATION;
      break;
    case MB_ICONERROR:
      style |= wxICON_ERROR;
      break;
    case MB_ICONQUESTION:
      style |= wxICON_QUESTION;
      break;
    case MB_ICONINFORMATION:
      style |= wxICON_INFORMATION;
      break;
    default:
      break;
  }
  if (AfxIsQuitPending()) return 0;
  PmMessageBox box(parent, ToWx(text), ToWx(caption), style);
  PushModal(&box);
  int r = box.ShowModal();
  PopModal(&box);
  if (AfxIsQuitPending()) {
    if (InnermostModal() != nullptr) wxTheApp->CallAfter([]() { EndInnermostForQuit(); });
    return 0;
  }
  switch (r) {
    case wxID_OK:
      return IDOK;
    case wxID_CANCEL:
      return IDCANCEL;
    case wxID_YES:
      return IDYES;
    case wxID_NO:
      return IDNO;
    default:
      return (type & 0x0F) == MB_OK ? IDOK : IDCANCEL;
  }
}

}  // namespace

bool IsMessageBox(wxWindow* w) { return dynamic_cast<PmMessageBox*>(w) != nullptr; }
wxString MessageBoxText(wxWindow* w) {
  auto* b = dynamic_cast<PmMessageBox*>(w);
  return b ? b->GetMessage() : wxString();
}
wxString MessageBoxCaption(wxWindow* w) {
  auto* b = dynamic_cast<PmMessageBox*>(w);
  return b ? b->GetTitle() : wxString();
}

}  // namespace afxui

using namespace afxui;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  CString t(text), c(caption);
  if (c.IsEmpty() && AfxGetApp()) c = AfxGetApp()->m_strAppName;
  if (AfxIsUiThread()) return ShowMessageBox(owner, t, c, type);
  int result = 0;
  // From a worker: the UI thread shows it over whatever is open then.
  AfxSendToUiThread([&]() { result = ShowMessageBox(nullptr, t, c, type); });
  return result;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) { return MessageBoxW(nullptr, text, nullptr, type); }

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
  CString s;
  AfxLoadString(stringId, s);
  return AfxMessageBox(s.GetString(), type, helpId);
}

struct ITEMIDLIST__ {
  std::u16string path;
};

LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info) {
  if (info == nullptr) return nullptr;
  CString title(info->lpszTitle);
  std::u16string chosen;
  bool ok = false;
  auto run = [&]() {
    wxWindow* parent = info->hwndOwner ? Wx(info->hwndOwner) : DefaultOwner();
    if (parent && !parent->IsTopLevel()) parent = wxGetTopLevelParent(parent);
    if (AfxIsQuitPending()) return;
    wxDirDialog dlg(parent, ToWx(title), wxEmptyString, wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    PushModal(&dlg);
    int r = dlg.ShowModal();
    PopModal(&dlg);
    if (r == wxID_OK && !AfxIsQuitPending()) {
      chosen = FromWx(dlg.GetPath());
      ok = !chosen.empty();
    }
  };
  if (AfxIsUiThread())
    run();
  else
    AfxSendToUiThread(run);
  if (!ok) return nullptr;
  if (info->pszDisplayName) {
    size_t slash = chosen.find_last_of(u'/');
    std::u16string name = slash == std::u16string::npos ? chosen : chosen.substr(slash + 1);
    size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::memcpy(info->pszDisplayName, name.data(), n * sizeof(char16_t));
    info->pszDisplayName[n] = 0;
  }
  return new ITEMIDLIST__{chosen};
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path) { return SHGetPathFromIDListEx(list, path, MAX_PATH); }

BOOL SHGetPathFromIDListEx(LPCITEMIDLIST list, LPWSTR path, DWORD capacity, DWORD) {
  if (list == nullptr || path == nullptr || capacity == 0) return FALSE;
  if (list->path.size() >= capacity) {
    path[0] = 0;
    return FALSE;
  }
  std::memcpy(path, list->path.data(), list->path.size() * sizeof(char16_t));
  path[list->path.size()] = 0;
  return TRUE;
}

void CoTaskMemFree(void* p) { delete static_cast<ITEMIDLIST__*>(p); }

namespace {

// Splits a parameter text at spaces; double quotes keep spaces together.
std::vector<std::u16string> SplitParameters(const char16_t* params) {
  std::vector<std::u16string> out;
  std::u16string cur;
  bool quoted = false, any = false;
  for (const char16_t* p = params ? params : u""; *p; ++p) {
    const char16_t c = *p;
    if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (c == u' ' && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) out.push_back(cur);
  return out;
}

bool IsWebAddress(const wxString& s) {
  wxString lower = s.Lower();
  return lower.StartsWith("http://") || lower.StartsWith("https://");
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int) {
  auto fail = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(2));  // file not found
  if (file == nullptr || *file == 0) return fail;
  wxString target = ToWx(file);
  bool ok = false;
  auto run = [&]() {
    if (IsWebAddress(target)) {
      ok = wxLaunchDefaultBrowser(target);
      return;
    }
    if (target.Contains("://")) return;  // only web pages and programs
    ok = StartProgram(file, SplitParameters(parameters), directory ? directory : u"", ProgramLookup::kSearchPath);
  };
  if (AfxIsUiThread() || !AfxSendToUiThread(run)) {
    if (AfxIsUiThread()) run();
  }
  return ok ? reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42)) : fail;
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (info == nullptr) return FALSE;
  info->hInstApp =
      ShellExecuteW(info->hwnd, info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow);
  info->hProcess = nullptr;
  return reinterpret_cast<uintptr_t>(info->hInstApp) > 32 ? TRUE : FALSE;
}
