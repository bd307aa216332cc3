// Fonts, brushes and the device context that measures text and records the
// colours OnCtlColor chooses.
#pragma once

#include "platform/classlib/CString.h"
#include "platform/classlib/ui/afxtypes.h"

class CWnd;

class CGdiObject {
 public:
  virtual ~CGdiObject() = default;
  HGDIOBJ m_hObject = nullptr;
  operator HGDIOBJ() const { return m_hObject; }
};

class CFont : public CGdiObject {
 public:
  CFont() = default;
  ~CFont() override;
  BOOL CreateFontIndirect(const LOGFONTW* lf);
  // Size in tenths of a point.
  BOOL CreatePointFont(int pointSize10, LPCWSTR faceName);
  int GetLogFont(LOGFONTW* lf) const;
  BOOL DeleteObject();
  operator HFONT() const { return reinterpret_cast<HFONT>(m_hObject); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  ~CBrush() override;
  BOOL CreateSolidBrush(COLORREF color);
  BOOL DeleteObject();
  operator HBRUSH() const { return reinterpret_cast<HBRUSH>(m_hObject); }
};

HGDIOBJ GetStockObject(int which);
HBRUSH CreateSolidBrush(COLORREF color);
BOOL DeleteObject(HGDIOBJ object);
// The colour of a brush; false for a null or hollow brush.
bool AfxGetBrushColor(HBRUSH brush, COLORREF* color);

// A device context for measuring text, and the recorder of the colours that
// OnCtlColor chooses.
class CDC {
 public:
  CDC() = default;
  explicit CDC(CWnd* wnd);
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() = default;
  HDC m_hDC = this;

  CFont* SelectObject(CFont* font);
  CSize GetTextExtent(LPCWSTR text, int count) const;
  CSize GetTextExtent(const CString& text) const;
  // DT_CALCRECT sets the rectangle's right and bottom to the text's extent
  // (wrapped to the rectangle's width with DT_WORDBREAK); returns the height.
  int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format);
  int DrawText(const CString& text, LPRECT rect, UINT format);

  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return m_textColor; }
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);
  int GetBkMode() const { return m_bkMode; }
  bool HasTextColor() const { return m_hasTextColor; }

 protected:
  CWnd* m_pWnd = nullptr;
  CFont* m_pFont = nullptr;
  COLORREF m_textColor = 0;
  COLORREF m_bkColor = 0xFFFFFF;
  int m_bkMode = OPAQUE;
  bool m_hasTextColor = false;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd) : CDC(wnd) {}
};

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
