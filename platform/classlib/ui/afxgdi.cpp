// Text layout, brushes, fonts, the measuring device context and the
// registered images.
#include <algorithm>
#include <cmath>

#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

int LineHeight(wxWindow* measurer, const wxFont& font) {
  int w = 0, h = 0;
  measurer->GetTextExtent("Ag", &w, &h, nullptr, nullptr, &font);
  return h;
}

int TextWidth(wxWindow* measurer, const wxFont& font, const wxString& s) {
  int w = 0, h = 0;
  measurer->GetTextExtent(s, &w, &h, nullptr, nullptr, &font);
  return w;
}

std::vector<wxString> WrapText(wxWindow* measurer, const wxFont& font, const wxString& text, int width, bool wrap) {
  std::vector<wxString> lines;
  wxString rest = text;
  rest.Replace("\r\n", "\n");
  wxArrayString paragraphs = wxSplit(rest, '\n', 0);
  if (paragraphs.empty()) paragraphs.push_back(wxString());
  for (const wxString& para : paragraphs) {
    if (!wrap || width <= 0 || TextWidth(measurer, font, para) <= width) {
      lines.push_back(para);
      continue;
    }
    wxString line;
    size_t i = 0;
    while (i < para.length()) {
      // The next word with its leading spaces.
      size_t j = i;
      while (j < para.length() && para[j] == ' ') ++j;
      while (j < para.length() && para[j] != ' ') ++j;
      wxString word = para.Mid(i, j - i);
      wxString candidate = line + word;
      if (line.empty() || TextWidth(measurer, font, candidate) <= width) {
        if (line.empty() && TextWidth(measurer, font, word) > width) {
          // A word wider than the line breaks between characters.
          wxString piece;
          for (wxUniChar ch : word) {
            if (!piece.empty() && TextWidth(measurer, font, piece + ch) > width) {
              lines.push_back(piece);
              piece.clear();
            }
            if (!(piece.empty() && ch == ' ')) piece += ch;
          }
          line = piece;
        } else {
          line = candidate;
        }
      } else {
        lines.push_back(line);
        word.Trim(false);
        line = word;
      }
      i = j;
    }
    lines.push_back(line);
  }
  return lines;
}

wxBitmap BitmapResource(UINT id) {
  const char* const* xpm = AfxFindXpm(id);
  if (xpm == nullptr) return wxNullBitmap;
  return wxBitmap(xpm);
}

HICON LoadIconResource(UINT id) {
  if (AfxFindXpm(id) == nullptr) return nullptr;
  return reinterpret_cast<HICON>(static_cast<uintptr_t>(id));
}

}  // namespace afxui

using namespace afxui;

// ---------------------------------------------------------------------------
// Brushes and fonts

struct HBRUSH__ {
  COLORREF color;
  bool hollow;
  bool stock;
};

namespace {
HBRUSH__ g_stockBrushes[] = {
    {0xFFFFFF, false, true}, {0xC0C0C0, false, true}, {0x808080, false, true},
    {0x404040, false, true}, {0x000000, false, true}, {0, true, true},
};
}  // namespace

HGDIOBJ GetStockObject(int which) {
  if (which < 0 || which > NULL_BRUSH) return nullptr;
  return &g_stockBrushes[which];
}

HBRUSH CreateSolidBrush(COLORREF color) { return new HBRUSH__{color, false, false}; }

bool AfxGetBrushColor(HBRUSH brush, COLORREF* color) {
  if (brush == nullptr || brush->hollow) return false;
  if (color) *color = brush->color;
  return true;
}

struct HFONT__ {
  wxFont font;
};

namespace afxui {
wxFont FontOf(HFONT f) { return f ? f->font : wxNullFont; }
HFONT NewFontHandle(const wxFont& f) { return new HFONT__{f}; }
}  // namespace afxui

BOOL DeleteObject(HGDIOBJ object) {
  if (object == nullptr) return FALSE;
  for (HBRUSH__& b : g_stockBrushes) {
    if (object == &b) return TRUE;
  }
  // Only brushes come here; fonts are deleted by their CFont.
  delete static_cast<HBRUSH__*>(object);
  return TRUE;
}

CBrush::~CBrush() { DeleteObject(); }
BOOL CBrush::CreateSolidBrush(COLORREF color) {
  DeleteObject();
  m_hObject = ::CreateSolidBrush(color);
  return TRUE;
}
BOOL CBrush::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

CFont::~CFont() { DeleteObject(); }

BOOL CFont::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  delete static_cast<HFONT__*>(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lf) {
  if (lf == nullptr) return FALSE;
  DeleteObject();
  double points;
  if (lf->pmPointSize > 0 && lf->lfHeight == -static_cast<LONG>(std::lround(lf->pmPointSize * 4.0 / 3.0))) {
    points = lf->pmPointSize;
  } else {
    LONG h = lf->lfHeight < 0 ? -lf->lfHeight : lf->lfHeight;
    points = h > 0 ? h * 3.0 / 4.0 : wxNORMAL_FONT->GetFractionalPointSize();
  }
  wxFontInfo info(points);
  std::u16string face(lf->lfFaceName);
  if (!face.empty()) info.FaceName(ToWx(face.c_str()));
  if (lf->lfWeight >= FW_BOLD) info.Bold();
  if (lf->lfItalic) info.Italic();
  if (lf->lfUnderline) info.Underlined();
  if (lf->lfStrikeOut) info.Strikethrough();
  wxFont font(info);
  if (!font.IsOk()) return FALSE;
  m_hObject = NewFontHandle(font);
  return TRUE;
}

BOOL CFont::CreatePointFont(int pointSize10, LPCWSTR faceName) {
  LOGFONTW lf{};
  lf.pmPointSize = pointSize10 / 10.0f;
  lf.lfHeight = -static_cast<LONG>(std::lround(lf.pmPointSize * 4.0 / 3.0));
  lf.lfWeight = FW_NORMAL;
  if (faceName) {
    for (int i = 0; i < 31 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  }
  return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTW* lf) const {
  if (lf == nullptr || m_hObject == nullptr) return 0;
  const wxFont& f = static_cast<HFONT__*>(m_hObject)->font;
  *lf = LOGFONTW{};
  lf->pmPointSize = static_cast<float>(f.GetFractionalPointSize());
  lf->lfHeight = -static_cast<LONG>(std::lround(lf->pmPointSize * 4.0 / 3.0));
  lf->lfWeight = f.GetWeight() >= wxFONTWEIGHT_BOLD ? FW_BOLD : FW_NORMAL;
  lf->lfItalic = f.GetStyle() == wxFONTSTYLE_ITALIC;
  lf->lfUnderline = f.GetUnderlined();
  lf->lfStrikeOut = f.GetStrikethrough();
  std::u16string face = FromWx(f.GetFaceName());
  for (size_t i = 0; i < face.size() && i < 31; ++i) lf->lfFaceName[i] = face[i];
  return static_cast<int>(sizeof(LOGFONTW));
}

// ---------------------------------------------------------------------------
// Measuring

CDC::CDC(CWnd* wnd) : m_pWnd(wnd) {}

CFont* CDC::SelectObject(CFont* font) {
  CFont* old = m_pFont ? m_pFont : (m_pWnd ? m_pWnd->GetFont() : nullptr);
  m_pFont = font;
  return old;
}

namespace {

wxWindow* Measurer(CWnd* wnd) {
  if (wnd && wnd->m_hWnd) return Wx(wnd->m_hWnd);
  if (wxTheApp && wxTheApp->GetTopWindow()) return wxTheApp->GetTopWindow();
  return InnermostModal();
}

wxFont CurrentFont(CWnd* wnd, CFont* selected) {
  if (selected && selected->m_hObject) return FontOf(static_cast<HFONT>(*selected));
  if (wnd && wnd->m_hWnd) return Wx(wnd->m_hWnd)->GetFont();
  return *wxNORMAL_FONT;
}

wxString Slice(LPCWSTR text, int count) {
  if (text == nullptr) return wxString();
  std::u16string s = count < 0 ? std::u16string(text) : std::u16string(text, static_cast<size_t>(count));
  return ToWx(s.c_str());
}

}  // namespace

CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
  wxWindow* m = Measurer(m_pWnd);
  if (m == nullptr) return CSize();
  wxFont font = CurrentFont(m_pWnd, m_pFont);
  int w = 0, h = 0;
  m->GetTextExtent(Slice(text, count), &w, &h, nullptr, nullptr, &font);
  return CSize(w, h);
}

CSize CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text.GetString(), text.GetLength()); }

int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (rect == nullptr) return 0;
  wxWindow* m = Measurer(m_pWnd);
  if (m == nullptr) return 0;
  wxFont font = CurrentFont(m_pWnd, m_pFont);
  wxString s = Slice(text, count);
  if (!(format & DT_NOPREFIX)) s = wxControl::RemoveMnemonics(s);
  bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
  if (format & DT_SINGLELINE) s.Replace("\n", " ");
  std::vector<wxString> lines = WrapText(m, font, s, rect->right - rect->left, wrap);
  int lh = LineHeight(m, font);
  int width = 0;
  for (const wxString& line : lines) width = std::max(width, TextWidth(m, font, line));
  int height = lh * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
  }
  return height;
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
  return DrawText(text.GetString(), text.GetLength(), rect, format);
}

COLORREF CDC::SetTextColor(COLORREF color) {
  COLORREF old = m_textColor;
  m_textColor = color;
  m_hasTextColor = true;
  return old;
}

COLORREF CDC::SetBkColor(COLORREF color) {
  COLORREF old = m_bkColor;
  m_bkColor = color;
  return old;
}

int CDC::SetBkMode(int mode) {
  int old = m_bkMode;
  m_bkMode = mode;
  return old;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
  if (dc == nullptr || size == nullptr) return FALSE;
  *size = dc->GetTextExtent(text, count);
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  return dc ? dc->DrawText(text, count, rect, format) : 0;
}
