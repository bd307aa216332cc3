// KML 2.0 documents of the two KML exports: styles, folders, point
// placemarks with a LookAt, timed point placemarks and line placemarks.
//
// One TAB of indent per nesting level; an element whose value is null or
// empty is left out. Every text is XML-escaped (CDATA sections are split
// around "]]>"), so any name or description gives a well-formed file. Lines
// end with CR LF; the file is UTF-8 with a byte-order mark.
//
// Call order: Begin, then styles, placemarks and folders in any nesting, then
// End (path). Numbers are written with six decimals ("%f").
#pragma once

#include <cstdint>
#include <string>

#include "export/exporttext.h"

class tgvKmlWriter_C {
 public:
  tgvKmlWriter_C() = default;
  tgvKmlWriter_C(const tgvKmlWriter_C&) = delete;
  tgvKmlWriter_C& operator=(const tgvKmlWriter_C&) = delete;

  // The colour text of a stored colour (0x00BBGGRR, or with alpha in the top
  // byte): eight hex digits aabbggrr. A colour without alpha (top byte 0) is
  // taken as opaque (ff), since such colours were never meant to be invisible.
  static std::u16string FormatColor(uint32_t color);

  // Formatting: each returns the text that the caller appends.
  // Nothing for a null or empty value; with cdata the value is a CDATA section.
  std::u16string FormatElement(const char16_t* tag, const char16_t* value, bool cdata) const;
  std::u16string FormatOpenTag(const char16_t* tag, const char16_t* id) const;
  std::u16string FormatCloseTag(const char16_t* tag) const;
  static std::u16string FormatCoord(double longitude, double latitude, double altitude);
  void Indent();
  // Never below the document level.
  void Outdent();
  const std::u16string& GetIndent() const { return m_indent; }

  void Begin();
  void BeginStyle(const char16_t* id);
  void AddIconStyle(const char16_t* href, double scale);
  // colour: a FormatColor text (none when empty); width only when above 0.
  void AddLineStyle(const char16_t* color, int32_t width);
  void EndStyle();
  void BeginFolder(const char16_t* name);
  void EndFolder();
  void AddPlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description, double longitude,
                    double latitude, double altitude, int32_t range, int32_t tilt, int32_t heading);
  // unixSeconds: the point's time in seconds since 1970; a TimeInstant (UTC)
  // is written when it is above 0 and falls within the years 1970-3000.
  void AddTimedPlacemark(const char16_t* styleUrl, int64_t unixSeconds, double longitude, double latitude,
                         double altitude);
  void BeginLinePlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description);
  // The triple and one space, on the coordinates line.
  void AddCoord(double longitude, double latitude, double altitude);
  void EndLinePlacemark();
  // Closes the document and saves it; the save result.
  bool End(const char16_t* path);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void Open(const char16_t* tag, const char16_t* id = nullptr);
  void Close(const char16_t* tag);
  void Element(const char16_t* tag, const char16_t* value, bool cdata = false);
  // "Placemark" with its name, description and styleUrl (each when not empty).
  void OpenPlacemark(const char16_t* name, const char16_t* styleUrl, const char16_t* description);

  ExportText_C m_text;
  int32_t m_depth = 0;
  std::u16string m_indent;
};
