#include "export/tgvProjectExport.h"

#include "export/tgvGpxExport.h"
#include "export/tgvKmlExport.h"
#include "export/tgvLineExport.h"
#include "export/tgvMapPageExport.h"
#include "trackdb/tgvProject.h"

namespace {

tgvDocument_C* OpenDocument(const tgvProject_C* project) {
  return project && project->GetState() == tgvProject_C::kOpen ? project->GetDocument() : nullptr;
}

}  // namespace

bool ExportKml(tgvProject_C* project, const char16_t* path, const char16_t* photoFolder, const char16_t* iconFolder) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportKmlLines(doc, path, photoFolder, iconFolder);
}

bool ExportGMapHtml(tgvProject_C* project, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
                    MapPageOptions_C* options, const char16_t* photoFolder, const char16_t* programFolder) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportGMapHtml(doc, path, pois, lines, options, photoFolder, programFolder);
}

bool ExportGpx(tgvProject_C* project, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
               const tgvValueDef_C* descriptionDef, const tgvValueDef_C* typeDef, int32_t mode, uint8_t route,
               uint8_t levelFilter) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportGpx(doc, path, pois, lines, descriptionDef, typeDef, mode, route, levelFilter, 0);
}

bool ExportNmea(tgvProject_C* project, const char16_t* path, const PtrList_C* lines) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportNmea(doc, path, lines);
}

bool ExportKmlFull(tgvProject_C* project, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                   uint8_t levelFilter, uint8_t points) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportKmlFull(doc, path, lines, waypoints, levelFilter, points, nullptr);
}

bool ExportTrackPointFile(tgvProject_C* project, const char16_t* path, const PtrList_C* lines) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportTrackPointFile(doc, path, lines);
}

bool ExportPcx5(tgvProject_C* project, const char16_t* path, const PtrList_C* lines) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportPcx5(doc, path, lines);
}

bool ExportCsv(tgvProject_C* project, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes) {
  tgvDocument_C* doc = OpenDocument(project);
  return doc && ExportCsv(doc, path, lines, offsetMinutes);
}
