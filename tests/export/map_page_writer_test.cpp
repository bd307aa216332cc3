#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "export/tgvGMapHtmlWriter.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/run_command.h"
#include "tests/export/xml_tree.h"

namespace {

// A marker object as the map-page driver builds it: strings escaped for JavaScript.
std::u16string MarkerJson(int id, const char16_t* name, const char16_t* memo) {
  UniString_C n(name), m(memo);
  n.EscapeJs();
  m.EscapeJs();
  return u"{'id':" + Utf8ToUtf16(std::to_string(id)) + u",'lat':47.250000,'lon':8.500000,'name':'" + n.GetText() +
         u"', 'UTC':[2020,4,7,12,0,0],'memo':'" + m.GetText() +
         u"','isdest':false,'icon':null,'lineid':0,'marker':null,'photos':[],'vedios':[]}";
}

tgvMapLine_C Line(int id, const char16_t* name, const char16_t* points) {
  tgvMapLine_C l;
  l.id = id;
  l.name = name;
  l.points = points;
  l.levels = u"PP";
  l.color = u"#ff0000";
  l.width = 3;
  l.distance = 1.5;
  l.box.SetLimits(8.0, 47.0, 9.0, 48.0);
  l.start = GeoPoint_C(8.0, 47.0);
  return l;
}

// The page's text (UTF-16LE after its mark).
std::u16string PageText(const TempDir& dir, const std::string& file) {
  std::u16string text;
  std::vector<uint8_t> bytes = ReadByteVector(dir.File(file));
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(char16_t(bytes[i] | bytes[i + 1] << 8));
  return text;
}

// The page as an XHTML reader sees it, and what its inline script defines
// when node runs it.
struct ReadPage {
  std::string parseError;
  std::string nodeError;
  std::vector<std::string> scriptSources;
  nlohmann::json vars;
};

ReadPage ReadBack(const TempDir& dir, const std::string& file) {
  ReadPage out;
  auto root = ParseXmlFile(dir.File(file), &out.parseError);
  if (!root) return out;
  std::string inlineScript;
  for (const XmlNode* s : root->Child("head")->All("script")) {
    auto src = s->attrs.find("src");
    if (src != s->attrs.end())
      out.scriptSources.push_back(src->second);
    else
      inlineScript = s->text;
  }
  std::string js = dir.File("script.js");
  WriteBytes(js, inlineScript);
  std::string result;
  if (!RunCommand("node " PM_SOURCE_DIR "/tests/export/page_script.js '" + js + "'", &result))
    out.nodeError = result.empty() ? "node failed" : result;
  if (out.nodeError.empty()) out.vars = nlohmann::json::parse(result, nullptr, false);
  return out;
}

TEST(MapPageWriter, WritesTheMinimalPageByteForByte) {
  TempDir dir;
  tgvGMapHtmlWriter_C w(u"");
  w.Begin(nullptr);
  w.BeginMarkers(0);
  w.EndMarkers();
  w.BeginLines();
  w.EndLines();
  ASSERT_TRUE(w.End(dir.WFile("p.html").c_str()));
  const std::u16string expected =
      u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      u"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n"
      u"<!-- saved from url=(0014)about:internet -->\r\n"
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:v=\"urn:schemas-microsoft-com:vml\">\r\n"
      u"<head>\r\n"
      u"<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/>\r\n"
      u"<title></title>\r\n"
      u"<script src=\"http://maps.google.com/maps?file=api&amp;oe=ISO-8859-1&amp;v=2.140\" "
      u"type=\"text/javascript\"></script>\r\n"
      u"<script type=\"text/javascript\">\r\n"
      u"//<![CDATA[\r\n"
      u"    gvnPoiType = 9;\r\n"
      u"    gvnLineType = 11;\r\n"
      u"    gvoaMarkers = [\r\n"
      u"    ];\r\n"
      u"    gvoaLines = [\r\n"
      u"\r\n"
      u"    ];\r\n"
      u"    gvoInitOption = { 'mapType':0,'mapBigControl':false,'mapOverview':false,'callByReload':false,"
      u"'zoomLevel':0,'startLat':0.000000,'startLon':0.000000,'minLat':-5000.000000,'minLon':-5000.000000,"
      u"'maxLat':-5000.000000,'maxLon':-5000.000000,'tBar':null,'poiCmd': {'funcEdit':false,"
      u"'funcSaveAsTarget':false},'sBar':false,"
      u"'iconPosOpt': {'relPath':'web\\\\js\\\\imgctrl\\\\images\\\\','fileName':'locate.png','width':32,"
      u"'height':32,'anchorX':24,'anchorY':25},"
      u"'iconLineOpt': {'relPath':'web\\\\js\\\\imgctrl\\\\images\\\\','fileName':'line_flag.png','width':32,"
      u"'height':32,'anchorX':12,'anchorY':28},"
      u"'iconMinimapPoiOpt': {'relPath':'web\\\\js\\\\imgctrl\\\\images\\\\','fileName':'line_start.png',"
      u"'width':16,'height':16,'anchorX':8,'anchorY':8} };\r\n"
      u"    window.onload = mapMain;\r\n"
      u"    if (typeof(GMap2) != 'undefined') window.onunload = GUnload;\r\n"
      u"//]]>\r\n"
      u"</script>\r\n"
      u"</head>\r\n"
      u"  <body>\r\n"
      u"<script type=\"text/javascript\">\r\n"
      u"//<![CDATA[\r\n"
      u"initLayout();\r\n"
      u"//]]>\r\n"
      u"</script>\r\n"
      u"  </body>\r\n"
      u"</html>";
  std::vector<uint8_t> bytes = Utf16LeBytes(expected, true);
  EXPECT_EQ(ReadByteVector(dir.File("p.html")), bytes);
}

// Names that would end the script under HTML ("</script>") or XHTML ("]]>")
// parsing, quotes, backslashes and characters outside the BMP: the page stays
// one well-formed document and its script gives every text back.
TEST(MapPageWriter, HostileTextsStayInsideTheScriptAndReadBack) {
  const char16_t* names[] = {u"</script><script>alert(1)</script>", u"a]]>b", u"it's \"quoted\" \\ back",
                             u"line\nbreak\ttab", u"\U0001F3C1 <b>&amp;</b>"};
  const char* readBack[] = {"</script><script>alert(1)</script>", "a]]>b", "it's \"quoted\" \\ back",
                            "line\nbreak\ttab", "\xF0\x9F\x8F\x81 <b>&amp;</b>"};
  TempDir dir;
  MapPageOptions_C options;
  options.language = 12;
  options.key = u"k&y\"";
  options.posIcon.relPath = u"my'icons/";
  tgvGMapHtmlWriter_C w(u"/opt/a&b \"c\"/");
  w.Begin(&options);
  w.BeginMarkers(5);
  for (int i = 0; i < 5; ++i) w.AddMarker(8.0 + i, 47.0 - i, MarkerJson(i, names[i], names[(i + 1) % 5]).c_str());
  w.EndMarkers();
  w.BeginLines();
  // '\\' is a character of encoded polylines, which come escaped.
  for (int i = 0; i < 5; ++i) w.AddLine(Line(i, names[i], u"_p~iF~ps|U\\\\@"));
  w.EndLines();
  ASSERT_TRUE(w.End(dir.WFile("p.html").c_str()));
  // The caller's icon keeps its own path and gets the default file and size.
  EXPECT_STREQ(reinterpret_cast<const char*>(Utf16ToUtf8(options.posIcon.fileName.GetText()).c_str()), "locate.png");

  ReadPage page = ReadBack(dir, "p.html");
  ASSERT_EQ(page.parseError, "");
  ASSERT_EQ(page.nodeError, "");
  ASSERT_EQ(page.vars["markers"].size(), 5u);
  ASSERT_EQ(page.vars["lines"].size(), 5u);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(readBack[i]);
    EXPECT_EQ(page.vars["markers"][i]["name"], readBack[i]);
    EXPECT_EQ(page.vars["markers"][i]["memo"], readBack[(i + 1) % 5]);
    EXPECT_EQ(page.vars["lines"][i]["name"], readBack[i]);
    EXPECT_EQ(page.vars["lines"][i]["num"], "_p~iF~ps|U\\@");
  }
  EXPECT_EQ(page.vars["productPath"], "/opt/a&b \"c\"/");
  EXPECT_EQ(page.vars["init"]["iconPosOpt"]["relPath"], "my'icons/");
  EXPECT_EQ(page.vars["init"]["iconPosOpt"]["width"], 32);
  // The page box holds every marker and every line box.
  EXPECT_EQ(page.vars["init"]["minLon"], 8.0);
  EXPECT_EQ(page.vars["init"]["maxLon"], 12.0);
  EXPECT_EQ(page.vars["init"]["minLat"], 43.0);
  EXPECT_EQ(page.vars["init"]["maxLat"], 48.0);
  EXPECT_EQ(page.vars["onload"], "function");
  ASSERT_EQ(page.scriptSources.size(), 5u);
  EXPECT_EQ(page.scriptSources[0], "http://maps.google.com/maps?file=api&oe=ISO-8859-1&v=2.140&key=k&y\"");
  EXPECT_EQ(page.scriptSources[3], "/opt/a&b \"c\"/web\\js\\gmap\\stbl\\EN.js");
  // An HTML reader ends a script at the first "</script": only the page's own seven may occur.
  std::u16string text = PageText(dir, "p.html");
  for (char16_t& c : text) c = ToLowerAscii(c);
  size_t closes = 0;
  for (size_t at = text.find(u"</script"); at != std::u16string::npos; at = text.find(u"</script", at + 1)) ++closes;
  EXPECT_EQ(closes, 7u);
}

// Names are UTF-16 as stored, so they may hold unpaired surrogates or the
// non-characters U+FFFE and U+FFFF: the page is still valid UTF-16 that an
// XHTML reader parses, and its script still runs.
TEST(MapPageWriter, TextsUtf16OrXmlCannotCarryLeaveThePageReadable) {
  const char16_t* names[] = {u"high \xD800 alone", u"low \xDC00 alone", u"pair \xDC00\xD800 reversed", u"end \xD83C",
                             u"not \xFFFE\xFFFF chars"};
  for (const char16_t* name : names) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    TempDir dir;
    MapPageOptions_C options;
    options.key = name;
    tgvGMapHtmlWriter_C w(name);
    w.Begin(&options);
    w.BeginMarkers(1);
    w.AddMarker(8.0, 47.0, MarkerJson(1, name, name).c_str());
    w.EndMarkers();
    w.BeginLines();
    w.AddLine(Line(1, name, u"_p~iF"));
    w.EndLines();
    ASSERT_TRUE(w.End(dir.WFile("p.html").c_str()));
    std::string utf8;
    EXPECT_TRUE(Utf16ToUtf8Strict(PageText(dir, "p.html"), utf8));
    ReadPage page = ReadBack(dir, "p.html");
    EXPECT_EQ(page.parseError, "");
    EXPECT_EQ(page.nodeError, "");
  }
}

TEST(MapPageWriter, RegionLanguageAndKeyChooseTheScripts) {
  struct Case {
    uint8_t region;
    int32_t language;
    const char16_t* key;
    const char* api;
    const char* languageFile;
    bool china;
  } cases[] = {
      {0, 7, u"", "http://maps.google.com/maps?file=api&oe=ISO-8859-1&v=2.140", "Japanese", false},
      {2, 11, u"K", "http://maps.google.com/maps?file=api&oe=ISO-8859-1&v=2.140&key=K", "Korean", true},
      {3, -1, u"K", "http://maps.google.co.kr/maps?file=api&oe=ISO-8859-1&key=K", "EN", false},
      {4, 0, u"", "http://maps.google.ru/maps?file=api&oe=ISO-8859-1", "EN", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.api);
    TempDir dir;
    MapPageOptions_C options;
    options.region = c.region;
    options.language = c.language;
    options.key = c.key;
    tgvGMapHtmlWriter_C w(u"/opt/pm/");
    w.Begin(&options);
    w.BeginMarkers(0);
    w.EndMarkers();
    w.BeginLines();
    w.EndLines();
    ASSERT_TRUE(w.End(dir.WFile("p.html").c_str()));
    ReadPage page = ReadBack(dir, "p.html");
    ASSERT_EQ(page.parseError, "");
    ASSERT_EQ(page.nodeError, "");
    ASSERT_EQ(page.scriptSources.size(), 5u);
    EXPECT_EQ(page.scriptSources[0], c.api);
    EXPECT_EQ(page.scriptSources[3], std::string("/opt/pm/web\\js\\gmap\\stbl\\") + c.languageFile + ".js");
    EXPECT_EQ(page.vars["chinaMap"], c.china);
  }
}

}  // namespace
