#include "export/tgvGMapHtmlWriter.h"

#include <cmath>

#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/format.h"
#include "trackdb/tgvLanguages.h"

namespace {

constexpr uint8_t kRegionChina = 2;
constexpr uint8_t kRegionKorea = 3;
constexpr uint8_t kRegionRussia = 4;

// The page joins the folder and its "web" paths with backslashes, as the page
// scripts expect; browsers read them as '/' in file addresses.
constexpr const char16_t* kImagePath = u"web\\js\\imgctrl\\images\\";

const char16_t* Bool(bool on) { return on ? u"true" : u"false"; }

void SetIconDefaults(MapIconOption_C& icon, const char16_t* fileName, int32_t w, int32_t h, int32_t ax, int32_t ay) {
  if (icon.relPath.IsEmpty()) icon.relPath = kImagePath;
  if (!icon.fileName.IsEmpty()) return;
  icon.fileName = fileName;
  icon.width = w;
  icon.height = h;
  icon.anchorX = ax;
  icon.anchorY = ay;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Script text with '<' and '>', unpaired surrogates and U+FFFE, U+FFFF as
// \u escapes. All of them stand only inside string literals there, whose
// values stay the same; the page itself stays valid UTF-16 and XML.
std::u16string ScriptSafe(const char16_t* text) {
  std::u16string out;
  for (const char16_t* p = text; p && *p; ++p) {
    const char16_t c = *p;
    if (IsHigh(c) && IsLow(p[1])) {
      out.push_back(c);
      out.push_back(*++p);
    } else if (c == u'<' || c == u'>' || IsHigh(c) || IsLow(c) || c == 0xFFFE || c == 0xFFFF) {
      out += FormatW(u"\\u%04X", static_cast<unsigned>(c));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// "%f" of a number; "null" for NaN and the infinities, which JavaScript
// would read as undefined names and stop the page's script.
std::u16string Num(double value) { return std::isfinite(value) ? FormatW(u"%f", value) : u"null"; }

}  // namespace

std::u16string tgvGMapHtmlWriter_C::ScriptString(const char16_t* text) {
  UniString_C s(text);
  s.EscapeJs();
  return ScriptSafe(s.GetText());
}

tgvGMapHtmlWriter_C::tgvGMapHtmlWriter_C(const char16_t* programFolder)
    : m_programFolder(programFolder ? std::u16string(programFolder) : GetProgramFolder()) {}

void tgvGMapHtmlWriter_C::SetSize(int32_t width, int32_t height) {
  if (width == 0 || height == 0) return;
  m_width = width;
  m_height = height;
}

void tgvGMapHtmlWriter_C::Begin(MapPageOptions_C* options) {
  if (options) {
    m_ownOptions.reset();
    m_options = options;
  } else {
    m_ownOptions = std::make_unique<MapPageOptions_C>();
    m_options = m_ownOptions.get();
  }
  ApplyIconDefaults();
  m_markers = m_lines = m_points = m_lineArrays = 0;
  m_box = GeoBox_C();
  m_text.Clear();
  WriteHead();
}

void tgvGMapHtmlWriter_C::WriteHead() {
  const bool withFolder = !m_programFolder.empty();
  std::u16string folder;
  AppendXmlEscaped(folder, m_programFolder, kXmlAttribute | kXmlCharsOnly);
  m_text.Put(
      u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
      u"<!-- saved from url=(0014)about:internet -->\n"
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:v=\"urn:schemas-microsoft-com:vml\">\n"
      u"<head>\n"
      u"<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/>\n"
      u"<title></title>\n");
  if (withFolder) {
    m_text.Putf(
        u"<link rel=\"stylesheet\" href=\"%sweb\\js\\imgctrl\\lytebox.css\" type=\"text/css\" media=\"screen\" />\n"
        u"<link rel=\"stylesheet\" href=\"%sweb\\css\\brgmapview.css\" type=\"text/css\"/>\n",
        folder.c_str(), folder.c_str());
  }
  const uint8_t region = m_options->region;
  const bool defaultHost = region != kRegionKorea && region != kRegionRussia;
  std::u16string src = region == kRegionKorea    ? u"http://maps.google.co.kr"
                       : region == kRegionRussia ? u"http://maps.google.ru"
                                                 : u"http://maps.google.com";
  src += u"/maps?file=api&amp;oe=ISO-8859-1";
  if (defaultHost) src += u"&amp;v=2.140";
  if (!m_options->key.IsEmpty()) {
    src += u"&amp;key=";
    AppendXmlEscaped(src, m_options->key.GetText(), kXmlAttribute | kXmlCharsOnly);
  }
  m_text.Putf(u"<script src=\"%s\" type=\"text/javascript\"></script>\n", src.c_str());
  if (withFolder) {
    m_text.Putf(
        u"<script type=\"text/javascript\" src=\"%sweb\\js\\gmap\\tlabel2.js\"></script>\n"
        u"<script type=\"text/javascript\" src=\"%sweb\\js\\imgctrl\\lytebox.js\"></script>\n"
        u"<script type=\"text/javascript\" src=\"%sweb\\js\\gmap\\stbl\\%s.js\"></script>\n"
        u"<script type=\"text/javascript\" src=\"%sweb\\js\\gmap\\brgmapview.js\"></script>\n",
        folder.c_str(), folder.c_str(), folder.c_str(), tgvLanguageName(m_options->language), folder.c_str());
  }
  m_text.Put(u"<script type=\"text/javascript\">\n//<![CDATA[\n");
  if (withFolder) m_text.Putf(u"    gvsProductPath = \"%s\";\n", ScriptString(m_programFolder.c_str()).c_str());
  if (region == kRegionChina) m_text.Put(u"    gvbChinaMap = true;\n");
  m_text.Putf(u"    gvnPoiType = %d;\n    gvnLineType = %d;\n", 9, 11);
}

void tgvGMapHtmlWriter_C::BeginMarkers(int32_t) { m_text.Put(u"    gvoaMarkers = [\n"); }

void tgvGMapHtmlWriter_C::AddMarker(double longitude, double latitude, const char16_t* marker) {
  m_box.ExtendToPoint(longitude, latitude);
  if (m_markers++ > 0) m_text.Put(u",\n");
  m_text.Put(ScriptSafe(marker));
}

void tgvGMapHtmlWriter_C::EndMarkers() { m_text.Put(u"    ];\n"); }

void tgvGMapHtmlWriter_C::BeginLines() { m_text.Put(u"    gvoaLines = [\n"); }

void tgvGMapHtmlWriter_C::ExtendByLine(const tgvMapLine_C& line) {
  if (line.box.GetMin().IsValid()) m_box.ExtendToPoint(line.box.GetMin().x, line.box.GetMin().y);
  if (line.box.GetMax().IsValid()) m_box.ExtendToPoint(line.box.GetMax().x, line.box.GetMax().y);
}

void tgvGMapHtmlWriter_C::OpenLineObject(const tgvMapLine_C& line) {
  ExtendByLine(line);
  if (m_lines++ > 0) m_text.Put(u",");
  // The encodings come escaped (their backslashes doubled): a second escape
  // would change the line the page draws. ScriptSafe leaves their characters
  // as they are and only keeps the page readable whatever a caller gives.
  m_text.Putf(u"{'id':%d,'name':\"%s\",'num':\"%s\",'lev':\"%s\",'color':\"%s\",'width':%d,", line.id,
              ScriptString(line.name.GetText()).c_str(), ScriptSafe(line.points.GetText()).c_str(),
              ScriptSafe(line.levels.GetText()).c_str(), ScriptString(line.color.GetText()).c_str(), line.width);
}

void tgvGMapHtmlWriter_C::AddLine(const tgvMapLine_C& line) {
  OpenLineObject(line);
  m_text.Putf(
      u"'distance':%s,'minLat':%s,'minLon':%s,'maxLat':%s,'maxLon':%s,'startLat':%s,'startLon':%s,"
      u"'marker':null,'startMarker':null}",
      Num(line.distance).c_str(), Num(line.box.GetMin().y).c_str(), Num(line.box.GetMin().x).c_str(),
      Num(line.box.GetMax().y).c_str(), Num(line.box.GetMax().x).c_str(), Num(line.start.y).c_str(),
      Num(line.start.x).c_str());
}

void tgvGMapHtmlWriter_C::AddLineShort(const tgvMapLine_C& line) {
  OpenLineObject(line);
  m_text.Putf(u"'minLat':%s,'minLon':%s,'maxLat':%s,'maxLon':%s,'marker':null}", Num(line.box.GetMin().y).c_str(),
              Num(line.box.GetMin().x).c_str(), Num(line.box.GetMax().y).c_str(), Num(line.box.GetMax().x).c_str());
}

void tgvGMapHtmlWriter_C::EndLines() { m_text.Put(u"\n    ];\n"); }

void tgvGMapHtmlWriter_C::BeginLinePoints() {
  if (m_lineArrays++ > 0) m_text.Put(u",\n");
  m_text.Put(u"      [\n");
  m_points = 0;
}

void tgvGMapHtmlWriter_C::AddLinePoint(double longitude, double latitude) {
  m_box.ExtendToPoint(longitude, latitude);
  const char16_t* lead = m_points == 0 ? u"        " : m_points % 100 == 0 ? u",\n        " : u", ";
  m_text.Putf(u"%snew GLatLng(%s,%s)", lead, Num(latitude).c_str(), Num(longitude).c_str());
  ++m_points;
}

void tgvGMapHtmlWriter_C::EndLinePoints() { m_text.Put(u"\n      ]"); }

std::u16string tgvGMapHtmlWriter_C::IconOptionJson(const MapIconOption_C& icon) const {
  auto quoted = [](const UniString_C& s) {
    return s.IsEmpty() ? std::u16string(u"null") : u"'" + ScriptString(s.GetText()) + u"'";
  };
  return u"{'relPath':" + quoted(icon.relPath) + u",'fileName':" + quoted(icon.fileName) +
         FormatW(u",'width':%d,'height':%d,'anchorX':%d,'anchorY':%d}", icon.width, icon.height, icon.anchorX,
                 icon.anchorY);
}

void tgvGMapHtmlWriter_C::ApplyIconDefaults() {
  SetIconDefaults(m_options->posIcon, u"locate.png", 32, 32, 24, 25);
  SetIconDefaults(m_options->lineIcon, u"line_flag.png", 32, 32, 12, 28);
  SetIconDefaults(m_options->minimapPoiIcon, u"line_start.png", 16, 16, 8, 8);
}

void tgvGMapHtmlWriter_C::WriteInitOption() {
  const MapPageOptions_C& o = *m_options;
  if (o.balloonOnFocus == 1) m_text.Put(u"    gvbBullonOnfocus = true;\n");
  if (o.curPoiId > 0) m_text.Putf(u"    gvnCurPOIID = %d;\n", o.curPoiId);
  m_text.Putf(
      u"    gvoInitOption = { 'mapType':%d,'mapBigControl':%s,'mapOverview':%s,'callByReload':%s,'zoomLevel':%d,"
      u"'startLat':%s,'startLon':%s,'minLat':%s,'minLon':%s,'maxLat':%s,'maxLon':%s,",
      o.mapType, Bool(o.HasBigControl()), Bool(o.HasOverview()), Bool(o.callByReload == 1), o.zoomLevel,
      Num(o.startLat).c_str(), Num(o.startLon).c_str(), Num(m_box.GetMin().y).c_str(), Num(m_box.GetMin().x).c_str(),
      Num(m_box.GetMax().y).c_str(), Num(m_box.GetMax().x).c_str());
  if (o.toolbar) {
    m_text.Putf(u"'tBar': {'funcReload':%s,'funcSlideShow':%s,'funcAddPOI':%s},", Bool(o.toolbarReload == 1),
                Bool(o.toolbarSlideShow == 1), Bool(o.toolbarAddPoi == 1));
  } else {
    m_text.Put(u"'tBar':null,");
  }
  m_text.Putf(u"'poiCmd': {'funcEdit':%s,'funcSaveAsTarget':%s},'sBar':%s,", Bool(o.poiEdit == 1),
              Bool(o.poiSaveAsTarget == 1), Bool(o.statusBar != 0));
  m_text.Put(u"'iconPosOpt': " + IconOptionJson(o.posIcon) + u",'iconLineOpt': " + IconOptionJson(o.lineIcon) +
             u",'iconMinimapPoiOpt': " + IconOptionJson(o.minimapPoiIcon) + u" };\n");
  m_text.Put(
      u"    window.onload = mapMain;\n"
      u"    if (typeof(GMap2) != 'undefined') window.onunload = GUnload;\n");
}

bool tgvGMapHtmlWriter_C::End(const char16_t* path) {
  if (!m_options) return false;
  WriteInitOption();
  m_text.Put(
      u"//]]>\n</script>\n</head>\n"
      u"  <body>\n<script type=\"text/javascript\">\n//<![CDATA[\ninitLayout();\n//]]>\n</script>\n  </body>\n"
      u"</html>");
  return m_text.Save(path, kUniEncUtf16);
}
