// The text fragments the track library builds for the map page: a POI's
// popup HTML, its description and photo list, its marker object, a line's
// object and the document-wide arrays of markers and lines. Markers and lines
// are JavaScript object literals for the page's scripts.
//
// Texts inserted into HTML are HTML-escaped; texts inserted into a script
// string are escaped for a JavaScript string (quotes, backslash, control
// characters and "</" included), so no stored name can end a string or the
// page's script. The fragments are appended to `out`; a null out or object
// appends nothing.
//
// shift 1 moves positions by the map offset correction for China.
#pragma once

#include <cstdint>
#include <string>

#include "icbase/src/icutil/geometry.h"

class PtrList_C;
class tgvDocument_C;
class tgvLine_C;
class tgvPOI_C;
class tgvStyle_C;

// A text escaped for a JavaScript string literal (null: empty).
std::u16string MapPageJs(const char16_t* text);
// A text for HTML content or a quoted attribute: & < > " ' as entities.
std::u16string MapPageHtml(const char16_t* text);
std::u16string MapPageNumber(int64_t value);
// A line's colour: its style's fill colour as "#rrggbb", "null" without a style.
std::u16string MapLineColor(const tgvStyle_C* style);
// A position as the page shows it (moved with shift 1).
GeoPoint_C MapPagePosition(double longitude, double latitude, int shift);

// The POI's values as HTML lines ("... <br />"), in value order, skipping
// values of system definitions: a rating (value type 9) above 0 as its
// image, a tag (value type 17) as the description of the tag of that name
// in bold (the value's own text without one), any other value as HTML text.
void AppendDescriptionHtml(const tgvPOI_C* poi, std::u16string* out);
// The popup of a POI: its local time, its description and its photos (from
// the photo folder when one is given, only those in filter when one is
// given), each with its title.
void AppendPopupHtml(const tgvPOI_C* poi, const char16_t* photoFolder, std::u16string* out, const PtrList_C* filter);
// The POI's values and its files as an HTML photo list for the page's
// picture viewer, escaped for a JavaScript string. Without a photo folder
// the files' own locations are shown two to a row, 240 pixels wide.
void AppendPhotoListHtml(const tgvPOI_C* poi, const char16_t* photoFolder, std::u16string* out);
// The POI's marker object: id, position, name, UTC time fields, description
// HTML, whether its type is named "Dest", its style's icon name, and the
// objects of its photos (only those in filter when one is given) and videos.
void AppendMarkerJson(const tgvPOI_C* poi, std::u16string* out, const char16_t* photoFolder, int shift, int photoMode,
                      const PtrList_C* filter);
// The line's object: id, name, style colour ("#rrggbb", "null" without a
// style) and width, length in km, lon/lat box, first and last point; with
// polyline the encoded points and levels, else the coordinates array.
void AppendMapLineJson(tgvLine_C* line, std::u16string* out, int shift, bool polyline);

// "[...]" with the marker of every POI of the document at a valid position,
// in time order; the number of markers.
uint32_t AppendPOIsJson(tgvDocument_C* doc, std::u16string* out, const char16_t* photoFolder, int shift, int photoMode);
// "[...]" with the object (polyline) of every line of the document that has
// a first point, in time order; the number of lines.
uint32_t AppendLinesJson(tgvDocument_C* doc, std::u16string* out, int shift);

// Reorders a list of POIs by time (ComparePOIsByTime: POIs without a time
// last); equal times keep their order. Each POI's time is read once.
void SortPOIsByTime(PtrList_C* list);
