// The costs that grow with the size of a workspace, each measured at two
// sizes ten times apart: the session list's Sync of a scan whose rows are all
// stored (2,000 and 20,000 sessions), the listing of a folder of track
// folders (2,000 and 20,000), and the exporters (KML of the lines, the map
// page, GPX of POIs and lines, CSV) on a project of 2,000 lines and 800 POIs
// and of 20,000 lines and 8,000 POIs. Prints the time per item at both sizes
// and their ratio, large over small (goal: at most 1.3: the cost per item
// does not grow with the items).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "appcore/SessionListDb.h"
#include "bench/common/WorkspaceFloor.h"
#include "export/tgvGpxExport.h"
#include "export/tgvKmlExport.h"
#include "export/tgvLineExport.h"
#include "export/tgvMapPageExport.h"
#include "platform/win32/utf.h"
#include "sport/FolderHelpers.h"
#include "sport/NameList.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"

namespace {

constexpr int kSmall = 2000;
constexpr int kLarge = 20000;

void Report(const char* what, const char* item, double small, double large) {
  std::printf("%-22s %10.2f us/%s at %6d  %10.2f us/%s at %6d  ratio %.2f (goal: at most 1.3)\n", what, small * 1e6,
              item, kSmall, large * 1e6, item, kLarge, large / small);
  std::fflush(stdout);
}

// Seconds per session of the second Sync of n sessions.
double SyncPerSession(const std::string& home, int n) {
  const std::string ws = home + "/sync" + std::to_string(n);
  std::filesystem::create_directories(ws);
  SessionListDb list;
  if (!list.Create(Utf8ToUtf16(ws), Utf8ToUtf16(home + "/Documents/Pelmora"))) std::abort();
  std::vector<SessionSummary> scan(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    scan[i].folder = CString::FromUtf8("Track" + std::to_string(i + 1));
    scan[i].mName = u"Fuji";
    scan[i].raceType = i % 7;
    scan[i].startTime = i;
  }
  if (!list.Sync(scan.data(), n)) std::abort();
  const double t0 = BenchNow();
  if (!list.Sync(scan.data(), n)) std::abort();
  return (BenchNow() - t0) / n;
}

// Seconds per folder of listing a folder of n folders.
double ListingPerFolder(const std::string& home, int n) {
  const std::string folder = home + "/list" + std::to_string(n);
  if (!std::filesystem::exists(folder))
    for (int i = 0; i < n; ++i) std::filesystem::create_directories(folder + "/Track" + std::to_string(i + 1));
  NameList names;
  const double t0 = BenchNow();
  ListSubfolders(CString::FromUtf8(folder), names);
  const double seconds = BenchNow() - t0;
  if (names.GetName(n - 1).IsEmpty()) std::abort();
  return seconds / n;
}

// A project of lines (four logged points each, a start time, a style and
// two values) and POIs (a time, a style and two values).
struct ExportProject {
  tgvDocument_C doc{nullptr};
  PtrList_C lines;
  PtrList_C pois;
};

void Fill(ExportProject& p, const std::string& path, int lineCount, int poiCount) {
  if (!p.doc.Open(Utf8ToUtf16(path).c_str())) std::abort();
  tgvDatabase_C* db = p.doc.GetDatabase();
  tgvType_C* track = tgvType_C::Create(db, u"Track", u"", nullptr, nullptr, tgvUT_Line, false);
  tgvType_C* place = tgvType_C::Create(db, u"Place", u"", nullptr, nullptr, tgvUT_POI, false);
  tgvValueDef_C* defs[4] = {tgvValueDef_C::Create(db, u"Note", track, 1, nullptr, false),
                            tgvValueDef_C::Create(db, u"Kind", track, 1, nullptr, false),
                            tgvValueDef_C::Create(db, u"Note", place, 1, nullptr, false),
                            tgvValueDef_C::Create(db, u"Kind", place, 1, nullptr, false)};
  const uint32_t day = 30400000;  // high half of a FILETIME in 2024
  for (int i = 0; i < lineCount; ++i) {
    tgvLine_C* line = tgvLine_C::Create(&p.doc, u"session", track, nullptr, nullptr, false);
    if (!line || !tgvStyle_C::CreateOwn(db, line) || !line->SetTime(day, static_cast<uint32_t>(i) * 1000u))
      std::abort();
    for (int k = 0; k < 4; ++k) {
      tgvGPSSample sample;
      sample.time = {day, static_cast<uint32_t>(i) * 1000u + static_cast<uint32_t>(k)};
      sample.speed = 80.0;
      if (!line->AppendPoint(GeoPoint_C(138.9 + k * 1e-4, 35.37 + i * 1e-6, 550.0), IntPoint_C(0, 0), 0,
                             tgvWayPointSensors(), &sample))
        std::abort();
    }
    if (!tgvVal_C::Create(db, u"note", line, defs[0]) || !tgvVal_C::Create(db, u"race", line, defs[1])) std::abort();
    p.lines.AddTail(line);
  }
  for (int i = 0; i < poiCount; ++i) {
    tgvPOI_C* poi = tgvPOI_C::Create(db, u"corner", place, IntPoint_C(0, 0), GeoPoint_C(138.9, 35.37 + i * 1e-6, 0.0),
                                     nullptr, false);
    if (!poi || !tgvStyle_C::CreateOwn(db, poi) || !poi->SetTime(day, static_cast<uint32_t>(i))) std::abort();
    if (!tgvVal_C::Create(db, u"note", poi, defs[2]) || !tgvVal_C::Create(db, u"turn", poi, defs[3])) std::abort();
    p.pois.AddTail(poi);
  }
  if (!db->Flush()) std::abort();
}

using Export = std::function<bool(ExportProject&, const std::u16string& path)>;

const struct {
  const char* name;
  Export run;
} kExports[] = {
    {"KML of the lines",
     [](ExportProject& p, const std::u16string& path) { return ExportKmlLines(&p.doc, path.c_str(), u"", u""); }},
    {"map page",
     [](ExportProject& p, const std::u16string& path) {
       return ExportGMapHtml(&p.doc, path.c_str(), &p.pois, &p.lines, nullptr, nullptr, u"/nonexistent");
     }},
    {"GPX of POIs and lines",
     [](ExportProject& p, const std::u16string& path) {
       return ExportGpx(&p.doc, path.c_str(), &p.pois, &p.lines, nullptr, nullptr, 0, 0, 0, 0);
     }},
    {"CSV of the lines",
     [](ExportProject& p, const std::u16string& path) { return ExportCsv(&p.doc, path.c_str(), &p.lines, 0); }},
};

}  // namespace

// The shortest of three runs at each size, the two sizes taking turns.
void ReportBest(const char* what, const char* item, const std::function<double(int)>& perItem) {
  double best[2] = {1e300, 1e300};
  for (int run = 0; run < 3; ++run) {
    best[0] = std::min(best[0], perItem(kSmall));
    best[1] = std::min(best[1], perItem(kLarge));
  }
  Report(what, item, best[0], best[1]);
}

// Arguments name the parts to run ("sync", "listing", "exports"); all by default.
int main(int argc, char** argv) {
  std::vector<std::string> parts;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '-') parts.emplace_back(argv[i]);
  auto runs = [&](const char* part) {
    return parts.empty() || std::find(parts.begin(), parts.end(), part) != parts.end();
  };
  const std::string home = MakeBenchHome("bench_scaling");
  if (home.empty()) return 1;
  int syncs = 0;
  if (runs("sync"))
    ReportBest("Sync, second run", "session",
               [&](int n) { return SyncPerSession(home + "/" + std::to_string(++syncs), n); });
  if (runs("listing")) ReportBest("listing track folders", "folder", [&](int n) { return ListingPerFolder(home, n); });

  std::error_code ec;
  if (!runs("exports")) return std::filesystem::remove_all(home, ec), 0;
  std::printf("making the export projects...\n");
  std::fflush(stdout);
  ExportProject small, large;
  Fill(small, home + "/small.poi", kSmall, kSmall * 2 / 5);
  Fill(large, home + "/large.poi", kLarge, kLarge * 2 / 5);
  const double items[2] = {kSmall * 1.4, kLarge * 1.4};
  for (const auto& e : kExports) {
    double seconds[2] = {};
    ExportProject* projects[2] = {&small, &large};
    for (int k = 0; k < 2; ++k) {
      const double t0 = BenchNow();
      if (!e.run(*projects[k], Utf8ToUtf16(home + "/out"))) std::abort();
      seconds[k] = (BenchNow() - t0) / items[k];
    }
    Report(e.name, "item", seconds[0], seconds[1]);
  }
  std::filesystem::remove_all(home, ec);
  return 0;
}
