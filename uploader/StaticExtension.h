// A static text that behaves as a link: it tracks the mouse, shows the hand
// cursor and asks its parent to repaint it on hover and leave; the parent
// picks the colours from the link style and the tracking and selected flags.
#pragma once

#include <cstdint>

#include "platform/classlib/ui/afxwin.h"

// What a link does while the mouse is over it. The values are the ones the
// link's style field holds.
enum LinkStyle : int32_t {
  kLinkPlain = 0,                 // plain text: no tracking
  kLinkHand = 1,                  // the hand cursor
  kLinkDarkBackground = 2,        // repainted, on dark grey
  kLinkBrightText = 3,            // repainted, white instead of grey
  kLinkDarkBackgroundBright = 4,  // repainted, white on dark grey
  kLinkHandBrightText = 5,        // the hand cursor, repainted white instead of grey
};

// The style shows the hand cursor on hover.
constexpr bool ShowsHand(LinkStyle style) { return style == kLinkHand || style == kLinkHandBrightText; }
// The link is repainted on hover and leave (the parent's colours follow the
// tracking flag).
constexpr bool RepaintsOnHover(LinkStyle style) { return style >= kLinkDarkBackground && style <= kLinkHandBrightText; }
// The parent paints the link on dark grey while it is hovered.
constexpr bool DarkensOnHover(LinkStyle style) {
  return style == kLinkDarkBackground || style == kLinkDarkBackgroundBright;
}
// The parent paints the text white while hovered, grey otherwise.
constexpr bool BrightensOnHover(LinkStyle style) {
  return style == kLinkBrightText || style == kLinkDarkBackgroundBright || style == kLinkHandBrightText;
}

class CStaticExtension : public CStatic {
 public:
  static constexpr DWORD kHoverTimeMs = 70;

  LinkStyle GetLinkStyle() const { return m_nLinkStyle; }
  void SetLinkStyle(LinkStyle style) { m_nLinkStyle = style; }
  BOOL IsTracking() const { return m_bTracking; }
  BOOL IsSelected() const { return m_bSelected; }
  void SetSelected(BOOL selected) { m_bSelected = selected ? 1 : 0; }

 protected:
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnMouseHover(UINT flags, CPoint point);
  afx_msg void OnMouseLeave();
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

  LinkStyle m_nLinkStyle = kLinkHand;
  BYTE m_bTracking = 0;
  BYTE m_bFlags[3] = {0, 0, 0};
  BYTE m_bSelected = 0;

  DECLARE_MESSAGE_MAP()
};
