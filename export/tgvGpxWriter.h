// The GPX file of the GPX export: waypoints for POIs and, for each line,
// a track of one segment or a route.
//
// Modes: 4 writes a bare gpx start tag (no namespaces, no metadata) for an
// outside service that expects it; 5 is GPX 1.1 with a generated description
// on every track point; any other value is GPX 1.1 with the TrackPointExtension
// namespace for heart rates. Names and descriptions are CDATA sections (split
// around "]]>"), other texts are escaped, so any text gives a well-formed file.
// The elements of a point follow the GPX 1.1 order: ele, time, name, desc,
// extensions. Lines end with CR LF; the file is UTF-8 with a byte-order mark.
//
// Times are stored FILETIMEs; (0, 0) means none and writes no time element.
// Point times are written in UTC with milliseconds and a trailing "Z".
// A longitude of 180 (after rounding to the nine decimals written) is
// written as -180, since GPX longitudes lie below 180. A waypoint's type is an
// extType element in a namespace of its own (GPX 1.1 allows no other in
// extensions); the bare mode 4 writes it without one.
// An altitude of exactly -5000.0 means none and writes no ele element, as
// does one that is NaN or infinite. A point whose latitude or longitude is
// not finite is left out: the lat and lon attributes are required numbers.
#pragma once

#include <cstdint>

#include "export/exporttext.h"

class tgvGpxWriter_C {
 public:
  tgvGpxWriter_C() = default;
  tgvGpxWriter_C(const tgvGpxWriter_C&) = delete;
  tgvGpxWriter_C& operator=(const tgvGpxWriter_C&) = delete;

  // Writes the header. localFlag (non-zero) makes the creator text end in
  // " local" instead of " utc"; it only labels the file. now is the time of
  // the metadata element (whole seconds, UTC).
  void Begin(int32_t mode, int32_t localFlag, IntPair_C now = NowFileTime());
  // A null description or type writes no desc or extensions element; the
  // name element is always written.
  void AddWayPoint(const char16_t* name, double latitude, double longitude, double altitude, IntPair_C time,
                   const char16_t* description, const char16_t* type);
  void BeginTrack(const char16_t* name);
  void EndTrack();
  // speedKmh in km/h (only mode 5's description shows it); heartRate in
  // beats per minute, written only within 1..255, the range of its element.
  void AddTrackPoint(double latitude, double longitude, double altitude, double speedKmh, IntPair_C time,
                     const char16_t* name, const char16_t* description, int32_t heartRate);
  void BeginRoute(const char16_t* name);
  void EndRoute();
  // The speed is not written.
  void AddRoutePoint(double latitude, double longitude, double altitude, double speedKmh, IntPair_C time,
                     const char16_t* name, const char16_t* description);
  // Closes the gpx element and saves; the save result.
  bool End(const char16_t* path);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void WriteHeader(int32_t localFlag, IntPair_C now);
  void OpenPoint(const char16_t* tag, double latitude, double longitude);
  // speed above 0 adds a speed element in m/s; every point passes 0.0.
  void WriteEleTimeSpeed(double altitude, double speed, IntPair_C time);
  void WriteCData(const char16_t* tag, const char16_t* text);

  int32_t m_mode = 0;
  ExportText_C m_text;
};
