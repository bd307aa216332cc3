#include "export/tgvKmlWriter.h"

#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/format.h"

namespace {

constexpr const char16_t* kKmlNamespace = u"http://earth.google.com/kml/2.0";

}  // namespace

std::u16string tgvKmlWriter_C::FormatColor(uint32_t color) {
  if ((color >> 24) == 0) color |= 0xFF000000u;
  return FormatW(u"%08x", color);
}

std::u16string tgvKmlWriter_C::FormatElement(const char16_t* tag, const char16_t* value, bool cdata) const {
  if (!value || !*value) return {};
  std::u16string out = m_indent + u"<" + tag + u">";
  if (cdata)
    AppendXmlCData(out, value);
  else
    AppendXmlEscaped(out, value, kXmlCharsOnly);
  return out + u"</" + tag + u">\r\n";
}

std::u16string tgvKmlWriter_C::FormatOpenTag(const char16_t* tag, const char16_t* id) const {
  std::u16string out = m_indent + u"<" + tag;
  if (id && *id) {
    out += u" id=\"";
    AppendXmlEscaped(out, id, kXmlAttribute | kXmlCharsOnly);
    out += u"\"";
  }
  return out + u">\r\n";
}

std::u16string tgvKmlWriter_C::FormatCloseTag(const char16_t* tag) const { return m_indent + u"</" + tag + u">\r\n"; }

std::u16string tgvKmlWriter_C::FormatCoord(double longitude, double latitude, double altitude) {
  return FormatW(u"%f,%f,%f", longitude, latitude, altitude);
}

void tgvKmlWriter_C::Indent() {
  ++m_depth;
  m_indent.push_back(u'\t');
}

void tgvKmlWriter_C::Outdent() {
  if (m_depth > 0) --m_depth;
  m_indent.assign(static_cast<size_t>(m_depth), u'\t');
}

void tgvKmlWriter_C::Open(const char16_t* tag, const char16_t* id) { m_text.Put(FormatOpenTag(tag, id)); }

void tgvKmlWriter_C::Close(const char16_t* tag) { m_text.Put(FormatCloseTag(tag)); }

void tgvKmlWriter_C::Element(const char16_t* tag, const char16_t* value, bool cdata) {
  m_text.Put(FormatElement(tag, value, cdata));
}

void tgvKmlWriter_C::OpenPlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description) {
  Open(u"Placemark");
  Indent();
  Element(u"name", name);
  Element(u"description", description, true);
  Element(u"styleUrl", styleUrl);
}

void tgvKmlWriter_C::Begin() {
  m_text.Clear();
  m_depth = 0;
  m_indent.clear();
  m_text.Put(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  m_text.Putf(u"<kml xmlns=\"%s\">\r\n", kKmlNamespace);
  m_text.Put(u"<Document>\r\n");
  Indent();
}

void tgvKmlWriter_C::BeginStyle(const char16_t* id) {
  Open(u"Style", id);
  Indent();
}

void tgvKmlWriter_C::AddIconStyle(const char16_t* href, double scale) {
  Open(u"IconStyle");
  Indent();
  Element(u"scale", FormatW(u"%.2f", scale).c_str());
  Open(u"Icon");
  Indent();
  Element(u"href", href);
  Outdent();
  Close(u"Icon");
  Outdent();
  Close(u"IconStyle");
}

void tgvKmlWriter_C::AddLineStyle(const char16_t* color, int32_t width) {
  Open(u"LineStyle");
  Indent();
  Element(u"color", color);
  if (width > 0) Element(u"width", FormatW(u"%d", width).c_str());
  Outdent();
  Close(u"LineStyle");
}

void tgvKmlWriter_C::EndStyle() {
  Outdent();
  Close(u"Style");
}

void tgvKmlWriter_C::BeginFolder(const char16_t* name) {
  Open(u"Folder");
  Indent();
  Element(u"name", name);
}

void tgvKmlWriter_C::EndFolder() {
  Outdent();
  Close(u"Folder");
}

void tgvKmlWriter_C::AddPlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description,
                                  double longitude, double latitude, double altitude, int32_t range, int32_t tilt,
                                  int32_t heading) {
  OpenPlacemark(name, styleUrl, description);
  Open(u"LookAt");
  Indent();
  Element(u"longitude", FormatW(u"%f", longitude).c_str());
  Element(u"latitude", FormatW(u"%f", latitude).c_str());
  Element(u"range", FormatW(u"%d", range).c_str());
  Element(u"tilt", FormatW(u"%d", tilt).c_str());
  Element(u"heading", FormatW(u"%d", heading).c_str());
  Outdent();
  Close(u"LookAt");
  Open(u"Point");
  Indent();
  Element(u"coordinates", FormatCoord(longitude, latitude, altitude).c_str());
  Outdent();
  Close(u"Point");
  Outdent();
  Close(u"Placemark");
}

void tgvKmlWriter_C::AddTimedPlacemark(const char16_t* styleUrl, int64_t unixSeconds, double longitude, double latitude,
                                       double altitude) {
  OpenPlacemark(nullptr, styleUrl, nullptr);
  Open(u"Point");
  Indent();
  Element(u"coordinates", FormatCoord(longitude, latitude, altitude).c_str());
  Outdent();
  Close(u"Point");
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (unixSeconds > 0 &&
      TimeToFields(UnixToFileTime(unixSeconds, 0), &year, &month, &day, &hour, &minute, &second, 0, nullptr)) {
    Open(u"TimeInstant");
    Indent();
    Element(u"timePosition", FormatW(u"%d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, hour, minute, second).c_str());
    Outdent();
    Close(u"TimeInstant");
  }
  Outdent();
  Close(u"Placemark");
}

void tgvKmlWriter_C::BeginLinePlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description) {
  OpenPlacemark(name, styleUrl, description);
  Open(u"LineString");
  Indent();
  Element(u"tessellate", u"1");
  Open(u"coordinates");
}

void tgvKmlWriter_C::AddCoord(double longitude, double latitude, double altitude) {
  m_text.Put(FormatCoord(longitude, latitude, altitude) + u" ");
}

void tgvKmlWriter_C::EndLinePlacemark() {
  m_text.Put(u"</coordinates>\r\n");
  Outdent();
  Close(u"LineString");
  Outdent();
  Close(u"Placemark");
}

bool tgvKmlWriter_C::End(const char16_t* path) {
  Outdent();
  m_text.Put(u"</Document>\r\n</kml>");
  return m_text.Save(path, kUniEncUtf8Bom);
}
