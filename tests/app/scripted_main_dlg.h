// The program's main window, on the program's context, with a script run once
// its modal loop runs, and the reading of the upload's result, for the window
// tests of the program.
#pragma once

#include <functional>
#include <utility>

#include "tests/ui/ui_test_env.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgResult.h"

class ScriptedMainDlg : public CtessilarDlg {
 public:
  // kStartupLogin keeps the login of the first tick, which the window's own
  // stories leave out. kWrittenList keeps the session list the test wrote (the
  // workspace is not scanned into it) and ends the window after the script.
  enum Flags : unsigned { kWindowOnly = 0, kStartupLogin = 1, kWrittenList = 2 };

  // `context` is the application object's (CtessilarApp::Context).
  ScriptedMainDlg(AppContext& context, unsigned flags, std::function<void(ScriptedMainDlg&)> script)
      : CtessilarDlg(context), m_flags(flags), m_script(std::move(script)) {
    if (!(flags & kStartupLogin)) m_nStartupCountdown = -1;
  }
  ScriptedMainDlg(AppContext& context, std::function<void(ScriptedMainDlg&)> script)
      : ScriptedMainDlg(context, kWindowOnly, std::move(script)) {}

  BOOL OnInitDialog() override {
    BOOL r = CtessilarDlg::OnInitDialog();
    if (m_flags & kWrittenList) KillTimer(kTimerPrepareDb);
    AfxPostToUiThread([this]() {
      m_script(*this);
      if (m_flags & kWrittenList) EndDialog(IDOK);
    });
    return r;
  }

  CListCtrl& List() { return m_listSession; }
  CString Text(int id) { return ItemText(*this, id); }
  bool Enabled(int id) { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }
  int Progress() { return static_cast<CProgressCtrl*>(GetDlgItem(MainDlgIds::kIdProgress))->GetPos(); }
  void Tick(UINT_PTR timer) { SendMessage(WM_TIMER, timer); }
  bool LoginOpen() const { return m_bLoginOpen; }

 private:
  unsigned m_flags;
  std::function<void(ScriptedMainDlg&)> m_script;
};

// Once the upload's result dialog opens, its three counts (successes,
// failures, cannot be analysed) go to `counts` and the dialog is closed.
inline void ReadResultCountsOnceShown(CString (&counts)[3]) {
  UiTestPoll([&counts]() {
    CDlgResult* result = Innermost<CDlgResult>();
    if (result == nullptr) return false;
    const int ids[] = {ResultDlgIds::kIdOkCount, ResultDlgIds::kIdFailCount, ResultDlgIds::kIdCannotAnalyzeCount};
    for (int i = 0; i < 3; ++i) result->GetDlgItemText(ids[i], counts[i]);
    result->EndDialog(IDOK);
    return true;
  });
}
