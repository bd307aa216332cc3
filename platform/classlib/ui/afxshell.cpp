// Message boxes, the folder picker, opening web pages and running programs.
#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
// The generic message box needs the dialog declarations above.
#include <wx/generic/msgdlgg.h>
#include <wx/utils.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/classlib/ui/internal/wxbridge.h"

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
std::vector<wxString> SplitParameters(const wxString& params) {
  std::vector<wxString> out;
  wxString cur;
  bool quoted = false, any = false;
  for (wxUniChar c : params) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
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

// Starts a program without waiting for it. Unlike a fork followed by exec,
// posix_spawn reports a program that cannot be run (missing, not executable,
// not a program for this machine), so that the caller learns it. A program
// given by name alone is looked up in PATH. The child is reaped when it ends.
bool SpawnProgram(const wxString& program, const std::vector<wxString>& params, const wxString& dir) {
  std::vector<std::string> args;
  args.push_back(program.utf8_string());
  for (const wxString& p : params) args.push_back(p.utf8_string());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  const std::string cwd = dir.utf8_string();
  bool ok = cwd.empty() || posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str()) == 0;
  pid_t pid = -1;
  if (ok) {
    const bool byName = args[0].find('/') == std::string::npos;
    int rc = byName ? posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ)
                    : posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    ok = rc == 0 && pid > 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  if (!ok) return false;
  std::thread([pid]() {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int) {
  auto fail = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(2));  // file not found
  if (file == nullptr || *file == 0) return fail;
  wxString target = ToWx(file);
  wxString params = ToWx(parameters);
  wxString dir = ToWx(directory);
  bool ok = false;
  auto run = [&]() {
    if (IsWebAddress(target)) {
      ok = wxLaunchDefaultBrowser(target);
      return;
    }
    if (target.Contains("://")) return;  // only web pages and programs
    ok = SpawnProgram(target, SplitParameters(params), dir);
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
