// Opening a project database and reading every field of every track: the
// sport model's workspace load. Files with 500, 1,000 and 2,000 tracks of 40
// field values each are generated once; each run opens one with the record
// store and reads every value through its definition. The reference is the
// floor: a plain sqlite3_prepare/step pass over the same rows and columns
// into plain structs. Prints the time per record at each size, the ratio
// largest/smallest (linear load: about 1) and ours/floor at each size.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/common/ThroughputReporter.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"

namespace {

constexpr int kFields = 40;
const int kSizes[] = {500, 1000, 2000};

std::string Folder() {
  static const std::string folder = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "bench_trackdb_XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    return tmpl;
  }();
  return folder;
}

std::u16string PathFor(int tracks) { return Utf8ToUtf16(Folder() + "/tracks" + std::to_string(tracks) + ".poi"); }

// One type "Track" with 40 text fields, and the tracks with a value each.
void Generate(int tracks) {
  const std::u16string path = PathFor(tracks);
  if (std::filesystem::exists(Utf16ToUtf8(path))) return;
  tgvDatabase_C db;
  if (!db.Open(RecordTypeTable, path.c_str(), nullptr)) std::abort();
  tgvType_C* type = tgvType_C::Create(&db, u"Track", u"track", nullptr, nullptr, tgvUT_Line, true);
  std::vector<tgvValueDef_C*> defs;
  for (int f = 0; f < kFields; ++f)
    defs.push_back(
        tgvValueDef_C::Create(&db, Utf8ToUtf16("Field" + std::to_string(f)).c_str(), type, 1, nullptr, true));
  for (int t = 0; t < tracks; ++t) {
    tgvLine_C* line = db.CreateLine(tgvUT_Line, u"session", 0, 0, type->GetId(), 0, 0);
    for (int f = 0; f < kFields; ++f) {
      const std::u16string text = Utf8ToUtf16(std::to_string(t * 1000.5 + f));
      if (!tgvVal_C::Create(&db, text.c_str(), line, defs[f])) std::abort();
    }
  }
  if (!db.Flush()) std::abort();
}

void BM_OpenAndReadEveryField(benchmark::State& state) {
  const int tracks = static_cast<int>(state.range(0));
  Generate(tracks);
  const std::u16string path = PathFor(tracks);
  for (auto _ : state) {
    tgvDatabase_C db;
    if (!db.Open(RecordTypeTable, path.c_str(), nullptr)) state.SkipWithError("open failed");
    auto* type = static_cast<tgvType_C*>(db.FirstOfType(tgvUT_TypeD));
    PtrList_C defs;
    type->GetValueDefs(&defs, true);
    size_t chars = 0;
    for (tgvRecord_C* line = db.FirstOfType(tgvUT_Line); line; line = db.NextOfType(line)) {
      for (PtrListNode_C* pos = defs.GetHeadPosition(); pos;) {
        auto* def = static_cast<tgvValueDef_C*>(PtrList_C::GetNext(pos));
        tgvVal_C* v = def->FindLineValue(line);
        chars += v ? std::char_traits<char16_t>::length(v->GetValue()) : 0;
      }
    }
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(state.iterations() * tracks * kFields);
}

// The floor: the same rows and columns into plain structs.
struct PlainRow {
  int id, zero, a, b, c, d, e, f, g;
  std::u16string text, text2;
};

void ReadTable(sqlite3* db, const char* sql, std::vector<PlainRow>* out) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  const int columns = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW) {
    PlainRow r{};
    int* ints[] = {&r.id, &r.zero, &r.a, &r.b, &r.c, &r.d, &r.e, &r.f, &r.g};
    for (int c = 0; c < columns && c < 9; ++c) {
      if (sqlite3_column_type(st, c) == SQLITE_TEXT) {
        const auto* t = static_cast<const char16_t*>(sqlite3_column_text16(st, c));
        (r.text.empty() ? r.text : r.text2) = t;
      } else {
        *ints[c] = sqlite3_column_int(st, c);
      }
    }
    out->push_back(std::move(r));
  }
  sqlite3_finalize(st);
}

void BM_PlainSqliteFloor(benchmark::State& state) {
  const int tracks = static_cast<int>(state.range(0));
  Generate(tracks);
  const std::u16string path = PathFor(tracks);
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open16(path.c_str(), &db);
    std::vector<PlainRow> rows;
    ReadTable(db, "SELECT * FROM BR_TGVLib;", &rows);
    for (const char* table : {"TypeD", "ValD", "Line", "Val"})
      ReadTable(db, (std::string("SELECT * FROM ") + table + ";").c_str(), &rows);
    sqlite3_close(db);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * tracks * kFields);
}

BENCHMARK(BM_OpenAndReadEveryField)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteFloor)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);

  auto ns = [&](const char* bench, int size) {
    return reporter.NsPerItem(std::string(bench) + "/" + std::to_string(size));
  };
  std::printf("\ntracks  values   ours ns/value  floor ns/value  ours/floor\n");
  for (int size : kSizes) {
    const double ours = ns("BM_OpenAndReadEveryField", size);
    const double floor = ns("BM_PlainSqliteFloor", size);
    std::printf("%6d  %6d  %14.1f  %14.1f  %10.2f\n", size, size * kFields, ours, floor,
                floor > 0 ? ours / floor : 0.0);
  }
  const double small = ns("BM_OpenAndReadEveryField", kSizes[0]);
  const double large = ns("BM_OpenAndReadEveryField", kSizes[2]);
  if (small > 0)
    std::printf("time per value, %d tracks / %d tracks: %.2f (goal: at most 1.3)\n", kSizes[2], kSizes[0],
                large / small);
  return 0;
}
