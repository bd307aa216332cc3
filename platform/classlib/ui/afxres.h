// The resources as the UI layer reads them: the format of the dialog
// templates, the four-language string table and the images, the call by
// which a program registers its tables, and the UI language that picks a
// string's text.
//
// The layer knows no program's resources. A program registers its tables once
// at start-up, before the first dialog or string is loaded; until then every
// lookup finds nothing (DoModal returns -1, LoadString FALSE).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/classlib/CString.h"
#include "platform/win32/langids.h"
#include "platform/win32/wintypes.h"

// One string in the four languages (UTF-16, NUL-terminated).
struct ResString {
  UINT id;
  const char16_t* en;
  const char16_t* ja;
  const char16_t* de;
  const char16_t* zhTW;
};

enum class ResControlKind : uint8_t {
  Static,    // text label; with kResNotify it reports clicks
  Button,    // push button
  Edit,      // single- or multi-line edit box
  ComboBox,  // drop-down list
  ListView,  // report list
  Progress,  // progress bar
  Picture,   // bitmap; the text is the bitmap's resource id
};

// Control styles.
constexpr uint32_t kResNotify = 1u << 0;     // static: clicks reach the parent
constexpr uint32_t kResCenter = 1u << 1;     // text centred
constexpr uint32_t kResRight = 1u << 2;      // text right-aligned
constexpr uint32_t kResPassword = 1u << 3;   // edit: hidden characters
constexpr uint32_t kResMultiline = 1u << 4;  // edit: several lines
constexpr uint32_t kResReadOnly = 1u << 5;   // edit: not editable
constexpr uint32_t kResDefault = 1u << 6;    // button: the default button
constexpr uint32_t kResHidden = 1u << 7;     // created hidden
constexpr uint32_t kResDisabled = 1u << 8;   // created disabled
constexpr uint32_t kResSingleSel = 1u << 9;  // list: one row selected at a time
constexpr uint32_t kResNoWrap = 1u << 10;    // static: no word wrap
constexpr uint32_t kResBorder = 1u << 11;    // static: sunken border

// Dialog styles.
constexpr uint32_t kResDlgResizable = 1u << 0;  // resizable frame
constexpr uint32_t kResDlgMinMax = 1u << 1;     // minimise and maximise boxes

// Positions and sizes are in dialog units.
struct ResControl {
  int id;
  ResControlKind kind;
  const char16_t* text;
  int x, y, cx, cy;
  uint32_t style;
};

struct ResDialog {
  int id;
  const char16_t* title;
  int cx, cy;                // client size in dialog units
  int fontPoints;            // 0: the desktop's default size
  const char16_t* fontFace;  // empty: the desktop's default face
  uint32_t style;
  const ResControl* controls;
  size_t controlCount;
};

// An image (an icon or a picture) as XPM text.
struct ResImage {
  UINT id;
  const char* const* xpm;
};

// A program's resources. The tables are not copied: they, and this record,
// live until the process ends (static data).
struct AfxResourceTables {
  const ResString* strings;
  size_t stringCount;
  const ResDialog* dialogs;
  size_t dialogCount;
  const ResImage* images;
  size_t imageCount;
};

// Makes `tables` the resources of every later lookup (null: none) and
// installs the string table as the source of CString::LoadString.
void AfxSetResources(const AfxResourceTables* tables);

// The text of string `id` in `lang`, English for any other language; null
// when no table has the id.
const char16_t* AfxFindString(UINT id, LANGID lang);
// The dialog template `id`, or null.
const ResDialog* AfxFindDialog(int id);
// The image `id` as XPM text, or null.
const char* const* AfxFindXpm(UINT id);

// The UI language of the string table: one value for the whole layer,
// English until set.
LANGID SetThreadUILanguage(LANGID lang);
LANGID GetThreadUILanguage();
// String `id` in the current UI language; FALSE (and an empty text) when the
// table lacks it.
BOOL AfxLoadString(UINT id, CString& text);
// String `id` in the current UI language; empty when the table lacks it.
CString AfxLoadText(UINT id);
// Copies at most bufferMax - 1 units and a terminator; returns the units copied.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
