// A static text that behaves as a link: it tracks the mouse, shows the hand
// cursor and asks its parent to repaint it on hover and leave; the parent
// picks the colours from the link style and the tracking and selected flags.
#pragma once

#include <cstdint>

#include "platform/classlib/ui/afxwin.h"

class CStaticExtension : public CStatic {
 public:
  // Styles: 0 plain text (no tracking); 1 hand cursor on hover; 2, 3, 4
  // repaint on hover and leave; 5 both.
  static constexpr DWORD kHoverTimeMs = 70;

  int32_t GetLinkStyle() const { return m_nLinkStyle; }
  void SetLinkStyle(int32_t style) { m_nLinkStyle = style; }
  BOOL IsTracking() const { return m_bTracking; }
  BOOL IsSelected() const { return m_bSelected; }
  void SetSelected(BOOL selected) { m_bSelected = selected ? 1 : 0; }

 protected:
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnMouseHover(UINT flags, CPoint point);
  afx_msg void OnMouseLeave();
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

  int32_t m_nLinkStyle = 1;
  BYTE m_bTracking = 0;
  BYTE m_bFlags[3] = {0, 0, 0};
  BYTE m_bSelected = 0;

  DECLARE_MESSAGE_MAP()
};
