// The map-page export of a document (driver of the map page writer): the
// POIs as markers and the lines as encoded polylines, both in time order.
#pragma once

class PtrList_C;
class tgvDocument_C;
struct MapPageOptions_C;

// options: the caller's (null for the writer's defaults); region 2 moves
// every position by the map offset correction for China. POIs outside
// -180..180 / -90..90 get no marker; lines without points are left out.
// programFolder: where the page finds its "web" folder (null: the running
// program's folder). False when the document is not open or the file
// cannot be written.
bool ExportGMapHtml(tgvDocument_C* doc, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
                    MapPageOptions_C* options, const char16_t* photoFolder, const char16_t* programFolder = nullptr);
