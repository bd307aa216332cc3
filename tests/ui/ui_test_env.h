// Shared by the dialog tests: the toolkit for the whole test program, a
// dialog that runs a script inside its modal loop, the picture folder, and
// the reading and answering of what a dialog shows.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/ui/afxwin.h"
#include "platform/classlib/ui/testing/uitest.h"

inline bool& UiAvailable() {
  static bool available = false;
  return available;
}

// The longest a message box waits for a test's step to answer it; the longest
// waits of the dialog tests are as long.
constexpr std::chrono::milliseconds kUnansweredBoxLimit{60000};

// The toolkit for the whole test program. A message box that no step of the
// running test answers within kUnansweredBoxLimit fails that test and is
// closed, so that the program goes on.
class UiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char name[] = "ui_test";
    char* argv[] = {name, nullptr};
    UiAvailable() = AfxUiInit(1, argv);
    if (!UiAvailable()) return;
    m_unanswered = std::make_unique<UiTestUnansweredBoxes>(
        [](const CString& text) { ADD_FAILURE() << "a message box no step of the test answered: " << text.ToUtf8(); },
        kUnansweredBoxLimit);
  }
  void TearDown() override {
    m_unanswered.reset();
    if (UiAvailable()) AfxUiTerm();
  }

 private:
  std::unique_ptr<UiTestUnansweredBoxes> m_unanswered;
};

#define REQUIRE_UI()                                  \
  do {                                                \
    if (!UiAvailable()) GTEST_SKIP() << "no display"; \
    UiTestResetQuit();                                \
    SetThreadUILanguage(1033);                        \
  } while (0)

// Where the pictures of the test run go: <build>/screenshots/<name>.png.
inline std::string ScreenshotPath(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(PM_BINARY_DIR) / "screenshots";
  std::filesystem::create_directories(dir);
  return (dir / (name + ".png")).string();
}

// A dialog that runs `script` once its modal loop runs.
class ScriptedDialog : public CDialog {
 public:
  ScriptedDialog(UINT templateId, std::function<void(ScriptedDialog&)> script, CWnd* parent = nullptr)
      : CDialog(templateId, parent), m_script(std::move(script)) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    AfxPostToUiThread([this]() {
      if (m_script) m_script(*this);
    });
    return TRUE;
  }

 private:
  std::function<void(ScriptedDialog&)> m_script;
};

// The text of the window's control `id`.
inline CString ItemText(CWnd& wnd, int id) {
  CString text;
  wnd.GetDlgItemText(id, text);
  return text;
}

// The innermost open dialog when it is a T, else null.
template <class T>
T* Innermost() {
  return dynamic_cast<T*>(CWnd::FromHandlePermanent(UiTestInnermostModal()));
}

// What a message box showed; empty until it is answered.
struct MessageBoxSeen {
  CString text;
  CString caption;
};

// Answers `box` with `answer` when it is a message box waiting for one,
// keeping what it showed in `seen`; false for any other window, and for a box
// already answered that has not closed yet: the box shown next may take its
// place, even its address, so only a box still waiting counts.
inline bool AnswerMessageBox(HWND box, int answer, MessageBoxSeen* seen = nullptr) {
  if (!UiTestIsMessageBox(box)) return false;
  MessageBoxSeen shown{UiTestMessageBoxText(box), UiTestMessageBoxCaption(box)};
  if (!UiTestEndModal(box, answer)) return false;
  if (seen != nullptr) *seen = shown;
  return true;
}

// Answers the next message box with `answer`, keeping what it showed.
inline std::shared_ptr<MessageBoxSeen> AnswerNextMessageBox(int answer = IDOK) {
  auto seen = std::make_shared<MessageBoxSeen>();
  UiTestPoll([answer, seen]() { return AnswerMessageBox(UiTestInnermostModal(), answer, seen.get()); });
  return seen;
}

// Saves a picture of `dlg` once the loop has painted it (a few ticks later),
// then ends the dialog with `result`.
inline void ShootThenEnd(CDialog& dlg, const std::string& name, int result, bool* saved = nullptr) {
  auto ticks = std::make_shared<int>(0);
  UiTestPoll([&dlg, name, result, saved, ticks]() {
    if (++*ticks < 15) return false;
    bool ok = UiTestSaveScreenshot(&dlg, ScreenshotPath(name));
    if (saved) *saved = ok;
    dlg.EndDialog(result);
    return true;
  });
}
