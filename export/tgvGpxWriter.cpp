#include "export/tgvGpxWriter.h"

#include <cmath>
#include <string>

#include "export/geofields.h"
#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/format.h"

namespace {

constexpr int32_t kModeBare = 4;
constexpr int32_t kModeDescribed = 5;
constexpr double kNoAltitude = -5000.0;
// The bare header is the one an outside track service reads: its creator
// names that service, not this program.
constexpr const char16_t* kBareCreator = u"Tavrena Tracks";

constexpr const char16_t* kGpxNs = u"http://www.topografix.com/GPX/1/1";
constexpr const char16_t* kGpxXsd = u"http://www.topografix.com/GPX/1/1/gpx.xsd";
constexpr const char16_t* kGpxxNs = u"http://www.garmin.com/xmlschemas/GpxExtensions/v3";
constexpr const char16_t* kGpxxXsd = u"http://www.garmin.com/xmlschemas/GpxExtensionsv3.xsd";
constexpr const char16_t* kTpxNs = u"http://www.garmin.com/xmlschemas/TrackPointExtension/v1";
constexpr const char16_t* kTpxXsd = u"http://www.garmin.com/xmlschemas/TrackPointExtensionv1.xsd";
constexpr const char16_t* kXsiNs = u"http://www.w3.org/2001/XMLSchema-instance";
// GPX 1.1 takes in extensions only elements of another namespace than its
// own: the waypoint type has one of the program's.
constexpr const char16_t* kExtTypeNs = u"urn:pelmora:gpx:exttype:1";

bool HasTime(IntPair_C t) { return t.first != 0 || t.second != 0; }

}  // namespace

void tgvGpxWriter_C::Begin(int32_t mode, int32_t localFlag, IntPair_C now) {
  m_mode = mode;
  m_text.Clear();
  WriteHeader(localFlag, now);
}

void tgvGpxWriter_C::WriteHeader(int32_t localFlag, IntPair_C now) {
  m_text.Put(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  if (m_mode == kModeBare) {
    m_text.Putf(u"<gpx version=\"v1.0.0\" creator=\"%s\">\r\n", kBareCreator);
    return;
  }
  m_text.Putf(
      u"<gpx version=\"1.1\" creator=\"Pelmora Uploader %s\" xsi:schemaLocation=\"%s %s %s %s %s %s\" "
      u"xmlns=\"%s\" xmlns:gpxtpx=\"%s\" xmlns:gpxx=\"%s\" xmlns:xsi=\"%s\">\r\n",
      localFlag ? u"local" : u"utc", kGpxNs, kGpxXsd, kGpxxNs, kGpxxXsd, kTpxNs, kTpxXsd, kGpxNs, kTpxNs, kGpxxNs,
      kXsiNs);
  TimeFields_C t = BreakDownTime(now, 0);
  m_text.Putf(u"<metadata>\r\n<time>%4d-%02d-%02dT%02d:%02d:%02dZ</time></metadata>\r\n", t.year, t.month, t.day,
              t.hour, t.minute, t.second);
}

void tgvGpxWriter_C::WriteCData(const char16_t* tag, const char16_t* text) {
  std::u16string line = std::u16string(u"<") + tag + u">";
  AppendXmlCData(line, text);
  m_text.Put(line + u"</" + tag + u">\r\n");
}

void tgvGpxWriter_C::OpenPoint(const char16_t* tag, double latitude, double longitude) {
  // GPX longitudes lie below 180: the date-line is written as -180, which
  // is the same meridian, also when 180 only comes from rounding.
  if (longitude >= 179.9999999995 && longitude <= 180.0) longitude = -180.0;
  m_text.Putf(u"<%s lat=\"%.9f\" lon=\"%.9f\">\r\n", tag, latitude, longitude);
}

void tgvGpxWriter_C::WriteEleTimeSpeed(double altitude, double speed, IntPair_C time) {
  if (altitude != kNoAltitude && std::isfinite(altitude)) m_text.Putf(u"<ele>%f</ele>\r\n", altitude);
  TimeFields_C t = BreakDownTime(time, 0);
  if (HasTime(time) && t.valid) {
    m_text.Putf(u"<time>%04d-%02d-%02dT%02d:%02d:%02d.%03dZ</time>\r\n", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.ms);
  }
  if (speed > 0.0) m_text.Putf(u"<speed>%f</speed>\r\n", speed * 1000.0 / 3600.0);
}

void tgvGpxWriter_C::AddWayPoint(const char16_t* name, double latitude, double longitude, double altitude,
                                 IntPair_C time, const char16_t* description, const char16_t* type) {
  if (!FinitePosition(latitude, longitude)) return;
  OpenPoint(u"wpt", latitude, longitude);
  WriteEleTimeSpeed(altitude, 0.0, time);
  WriteCData(u"name", name);
  if (description) WriteCData(u"desc", description);
  if (type) {
    std::u16string ext = u"<extensions><extType";
    if (m_mode != kModeBare) ext += std::u16string(u" xmlns=\"") + kExtTypeNs + u"\"";
    ext += u">";
    AppendXmlEscaped(ext, type, kXmlCharsOnly);
    m_text.Put(ext + u"</extType></extensions>\r\n");
  }
  m_text.Put(u"</wpt>\r\n");
}

void tgvGpxWriter_C::BeginTrack(const char16_t* name) {
  m_text.Put(u"<trk>\r\n");
  WriteCData(u"name", name);
  m_text.Put(u"<trkseg>\r\n");
}

void tgvGpxWriter_C::EndTrack() { m_text.Put(u"</trkseg>\r\n</trk>\r\n"); }

void tgvGpxWriter_C::AddTrackPoint(double latitude, double longitude, double altitude, double speedKmh, IntPair_C time,
                                   const char16_t* name, const char16_t* description, int32_t heartRate) {
  if (!FinitePosition(latitude, longitude)) return;
  OpenPoint(u"trkpt", latitude, longitude);
  WriteEleTimeSpeed(altitude, 0.0, time);
  if (name) WriteCData(u"name", name);
  if (m_mode == kModeDescribed) {
    WriteCData(
        u"desc",
        FormatW(u"lat.=%.6f, lon.=%.6f, Alt.=%.6fm. Speed=%.6fkm/h.", latitude, longitude, altitude, speedKmh).c_str());
  } else if (description) {
    WriteCData(u"desc", description);
  }
  if (heartRate > 0 && heartRate <= 255) {
    std::u16string ext = u"<extensions><gpxtpx:TrackPointExtension";
    // The bare header declares no namespaces: the extension declares its own.
    if (m_mode == kModeBare) ext += std::u16string(u" xmlns:gpxtpx=\"") + kTpxNs + u"\"";
    m_text.Put(ext + FormatW(u"><gpxtpx:hr>%d</gpxtpx:hr></gpxtpx:TrackPointExtension></extensions>\r\n", heartRate));
  }
  m_text.Put(u"</trkpt>\r\n");
}

void tgvGpxWriter_C::BeginRoute(const char16_t* name) {
  m_text.Put(u"<rte>\r\n");
  WriteCData(u"name", name);
}

void tgvGpxWriter_C::EndRoute() { m_text.Put(u"</rte>\r\n"); }

void tgvGpxWriter_C::AddRoutePoint(double latitude, double longitude, double altitude, double speedKmh, IntPair_C time,
                                   const char16_t* name, const char16_t* description) {
  if (!FinitePosition(latitude, longitude)) return;
  OpenPoint(u"rtept", latitude, longitude);
  WriteEleTimeSpeed(altitude, 0.0, time);
  if (name) WriteCData(u"name", name);
  if (description) WriteCData(u"desc", description);
  m_text.Put(u"</rtept>\r\n");
}

bool tgvGpxWriter_C::End(const char16_t* path) {
  m_text.Put(u"</gpx>");
  return m_text.Save(path, kUniEncUtf8Bom);
}
