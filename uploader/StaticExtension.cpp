#include "uploader/StaticExtension.h"

BEGIN_MESSAGE_MAP(CStaticExtension, CStatic)
ON_WM_MOUSEHOVER()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

void CStaticExtension::OnMouseMove(UINT flags, CPoint point) {
  if (m_nLinkStyle != kLinkPlain && !m_bTracking) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = kHoverTimeMs;
    if (TrackMouseEvent(&tme)) m_bTracking = 1;
  }
  CStatic::OnMouseMove(flags, point);
}

void CStaticExtension::OnMouseHover(UINT flags, CPoint point) {
  if (ShowsHand(m_nLinkStyle)) SetCursor(LoadCursor(nullptr, IDC_HAND));
  if (RepaintsOnHover(m_nLinkStyle)) Invalidate();
  CStatic::OnMouseHover(flags, point);
}

void CStaticExtension::OnMouseLeave() {
  m_bTracking = 0;
  if (RepaintsOnHover(m_nLinkStyle) && !m_bSelected) Invalidate();
  CStatic::OnMouseLeave();
}

BOOL CStaticExtension::OnSetCursor(CWnd*, UINT, UINT) { return m_bTracking; }
