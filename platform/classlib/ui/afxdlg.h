// Dialogs made from a registered template and run modally.
#pragma once

#include "platform/classlib/ui/afxwnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally: IDOK, IDCANCEL or the value given to EndDialog;
  // -1 when the dialog cannot be made or a quit request ended it.
  virtual INT_PTR DoModal();
  void EndDialog(int result);
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Dialog units to pixels, with the dialog's font.
  void MapDialogRect(LPRECT rect) const;
  // Where the template places control `id`, in pixels of the dialog's client
  // area: known before the dialog is shown, unlike the window's own place.
  // FALSE (and an empty rectangle) when the template has no such control.
  BOOL GetTemplateItemRect(int id, LPRECT rect) const;
  UINT GetTemplateId() const { return m_nIDTemplate; }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 protected:
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  CMenu m_systemMenu;
  friend class CWnd;

  DECLARE_MESSAGE_MAP()
};
