// The stand-alone XHTML map page of the map-page export: it loads the map
// API of the map service, the program's page scripts and stylesheets from the
// "web" folder next to the program, and defines the JavaScript variables those
// scripts read (markers, lines with encoded polylines, initial options).
//
// Every text placed into the page's script is escaped for a JavaScript string
// and has '<' and '>' written as \u003C and \u003E, so that neither
// "</script>" (HTML parsing) nor "]]>" (XHTML parsing) can end the script;
// unpaired surrogates and U+FFFE, U+FFFF are \u escapes too, so that the page
// stays valid UTF-16 and XML. Texts in attributes are attribute-escaped.
// Numbers are "%f"; one that is NaN or infinite is written null, which the
// script can read. The page is saved as UTF-16LE
// with a byte-order mark; each line ends in exactly one CR LF.
//
// Call order: Begin, BeginMarkers, AddMarker..., EndMarkers, BeginLines,
// AddLine..., EndLines, End (path).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "export/exporttext.h"

// An icon for the page scripts.
struct MapIconOption_C {
  UniString_C relPath;
  UniString_C fileName;
  int32_t width = 0;
  int32_t height = 0;
  int32_t anchorX = 0;
  int32_t anchorY = 0;
};

struct MapPageOptions_C {
  // Index into the twelve language names ("EN" ... "Korean"); "EN" outside 0..11.
  int32_t language = 0;
  // 2 China (positions shifted, gvbChinaMap), 3 Korea, 4 Russia, other the default host.
  uint8_t region = 0;
  uint8_t mapType = 0;
  uint8_t flags = 0;  // bit 0 overview map, bit 1 large map control
  uint8_t zoomLevel = 0;
  UniString_C key;  // map-API key, empty for none
  uint8_t balloonOnFocus = 0;
  uint8_t callByReload = 0;
  double startLat = 0.0;
  double startLon = 0.0;
  int32_t curPoiId = 0;  // written when above 0
  uint8_t toolbar = 0;
  uint8_t toolbarReload = 0;
  uint8_t toolbarSlideShow = 0;
  uint8_t toolbarAddPoi = 0;
  uint8_t poiEdit = 0;
  uint8_t poiSaveAsTarget = 0;
  uint8_t statusBar = 0;
  MapIconOption_C lineIcon;
  MapIconOption_C posIcon;
  MapIconOption_C minimapPoiIcon;

  bool HasOverview() const { return (flags & 1) != 0; }
  bool HasBigControl() const { return (flags & 2) != 0; }
};

// One line of the page, as the map-page driver builds it.
struct tgvMapLine_C {
  int32_t id = 0;
  UniString_C name;
  // As tgvLine_C::EncodePolyline gives them: already escaped for a JavaScript
  // string, they are written as they are.
  UniString_C points;  // encoded polyline
  UniString_C levels;  // encoded levels
  UniString_C color;   // "#rrggbb" or "null"
  int32_t width = 0;
  double distance = 0.0;  // km
  GeoBox_C box;           // lon/lat box
  GeoPoint_C start;
  IntPair_C startTime;
};

class tgvGMapHtmlWriter_C {
 public:
  // programFolder: the folder of the page's "web" folder, with its trailing
  // separator; null takes the running program's folder. An empty folder
  // leaves out the page's own scripts and stylesheets.
  explicit tgvGMapHtmlWriter_C(const char16_t* programFolder = nullptr);
  tgvGMapHtmlWriter_C(const tgvGMapHtmlWriter_C&) = delete;
  tgvGMapHtmlWriter_C& operator=(const tgvGMapHtmlWriter_C&) = delete;

  // Starts the page. The caller's options stay the caller's (their empty
  // icons get the defaults); null makes the writer use default options of
  // its own.
  void Begin(MapPageOptions_C* options);
  // Stored, not written.
  void SetSize(int32_t width, int32_t height);
  void BeginMarkers(int32_t count);
  // marker: a marker object (a JavaScript object literal of numbers,
  // booleans, null, arrays and escaped strings); its '<' and '>', which occur
  // only inside its strings, are written as \u003C and \u003E (unpaired
  // surrogates and U+FFFE, U+FFFF as \u escapes likewise).
  void AddMarker(double longitude, double latitude, const char16_t* marker);
  void EndMarkers();
  void BeginLines();
  void AddLine(const tgvMapLine_C& line);
  void EndLines();
  // Point arrays, for pages that draw lines from their points.
  void BeginLinePoints();
  void AddLinePoint(double longitude, double latitude);
  void EndLinePoints();
  // The line object without distance and start point.
  void AddLineShort(const tgvMapLine_C& line);
  // The rest of the page; saves it. The save result (false without Begin).
  bool End(const char16_t* path);

  // A JavaScript string body: escaped, with '<' and '>' as \u003C and \u003E
  // and unpaired surrogates and U+FFFE, U+FFFF as \u escapes.
  static std::u16string ScriptString(const char16_t* text);

  const char16_t* GetText() const { return m_text.GetText(); }
  const GeoBox_C& GetBox() const { return m_box; }

 private:
  void WriteHead();
  void WriteInitOption();
  void ApplyIconDefaults();
  std::u16string IconOptionJson(const MapIconOption_C& icon) const;
  void OpenLineObject(const tgvMapLine_C& line);
  void ExtendByLine(const tgvMapLine_C& line);

  std::unique_ptr<MapPageOptions_C> m_ownOptions;
  MapPageOptions_C* m_options = nullptr;
  int32_t m_markers = 0;
  int32_t m_lines = 0;
  int32_t m_points = 0;
  int32_t m_lineArrays = 0;
  int32_t m_width = 0;
  int32_t m_height = 0;
  std::u16string m_programFolder;
  ExportText_C m_text;
  GeoBox_C m_box;
};
