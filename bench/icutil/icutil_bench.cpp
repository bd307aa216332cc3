// The two base utilities that carry whole files: interning N names in a
// string pool (20,000, 80,000 and 320,000 distinct texts, as a large
// workspace's record load does) and building one export text of 1, 8 and
// 64 MB with a text builder, against std::unordered_set<std::u16string> and
// std::u16string appends in the same run. After the table it prints the
// time per text or per appended line at each size, ours against the
// reference, and the ratio largest/smallest (linear cost: about 1).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/common/ThroughputReporter.h"
#include "icbase/src/icutil/hashtable.h"
#include "icbase/src/icutil/utdm/unifile.h"

namespace {

const int kTextCounts[] = {20000, 80000, 320000};
const int kTextMegabytes[] = {1, 8, 64};
// The first block the XML reader gives its own pool.
constexpr uint32_t kFirstBlock = 4096;

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Names and values of the shapes a project database holds: field names,
// numbers, session labels; 4 to 30 units.
const std::vector<std::u16string>& Texts(int n) {
  static std::map<int, std::vector<std::u16string>> cache;
  std::vector<std::u16string>& texts = cache[n];
  if (texts.empty()) {
    texts.reserve(n);
    for (int i = 0; i < n; ++i) {
      switch (i % 3) {
        case 0:
          texts.push_back(Widen("Field" + std::to_string(i)));
          break;
        case 1:
          texts.push_back(Widen(std::to_string(i * 1000.5)));
          break;
        default:
          texts.push_back(Widen("Session " + std::to_string(i) + " lap " + std::to_string(i % 97)));
          break;
      }
    }
  }
  return texts;
}

size_t TextBytes(const std::vector<std::u16string>& texts) {
  size_t bytes = 0;
  for (const auto& t : texts) bytes += t.size() * 2;
  return bytes;
}

void BM_InternOurs(benchmark::State& state) {
  const auto& texts = Texts(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    StrPool_C pool(kFirstBlock);
    for (const auto& t : texts) benchmark::DoNotOptimize(pool.Intern(t.c_str()));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes(texts)));
}

void BM_InternReference(benchmark::State& state) {
  const auto& texts = Texts(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::unordered_set<std::u16string> set;
    for (const auto& t : texts) benchmark::DoNotOptimize(set.insert(t).first->c_str());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes(texts)));
}

// One NMEA fix as the exporter writes it: 72 units with the LF.
const std::u16string kLine = u"$GPGGA,123519.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";

int64_t LinesFor(int megabytes) {
  const int64_t units = int64_t(megabytes) * 1048576 / 2;
  return (units + int64_t(kLine.size()) - 1) / int64_t(kLine.size());
}

void BM_BuildOurs(benchmark::State& state) {
  const int64_t lines = LinesFor(static_cast<int>(state.range(0)));
  const auto n = static_cast<int32_t>(kLine.size());
  for (auto _ : state) {
    WStrBuilder_C b;
    for (int64_t i = 0; i < lines; ++i) b.Append(kLine.c_str(), n);
    benchmark::DoNotOptimize(b.GetText());
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(state.iterations() * lines * n * 2);
}

void BM_BuildReference(benchmark::State& state) {
  const int64_t lines = LinesFor(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::u16string s;
    for (int64_t i = 0; i < lines; ++i) s.append(kLine);
    benchmark::DoNotOptimize(s.data());
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(state.iterations() * lines * static_cast<int64_t>(kLine.size()) * 2);
}

BENCHMARK(BM_InternOurs)->Arg(kTextCounts[0])->Arg(kTextCounts[1])->Arg(kTextCounts[2])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternReference)
    ->Arg(kTextCounts[0])
    ->Arg(kTextCounts[1])
    ->Arg(kTextCounts[2])
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildOurs)
    ->Arg(kTextMegabytes[0])
    ->Arg(kTextMegabytes[1])
    ->Arg(kTextMegabytes[2])
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildReference)
    ->Arg(kTextMegabytes[0])
    ->Arg(kTextMegabytes[1])
    ->Arg(kTextMegabytes[2])
    ->Unit(benchmark::kMillisecond);

// Adds the table of the time per item by size.
class PerItemReporter : public ThroughputReporter {
 public:
  double NsPerItem(const std::string& bench, int size) const {
    return ThroughputReporter::NsPerItem(bench + "/" + std::to_string(size));
  }

  // One line per size, then the ratio largest/smallest of both sides.
  void PrintTable(const char* what, const char* unit, const std::string& ours, const std::string& theirs,
                  const int (&sizes)[3]) const {
    std::printf("\n%-10s %8s  ours ns/%s  reference ns/%s  ours/reference\n", what, unit, unit, unit);
    for (int size : sizes) {
      const double a = NsPerItem(ours, size), b = NsPerItem(theirs, size);
      std::printf("%-10s %8d  %12.1f  %17.1f  %14.2f\n", "", size, a, b, b > 0 ? a / b : 0.0);
      PrintComparison(std::string(what) + " " + std::to_string(size), ours + "/" + std::to_string(size),
                      theirs + "/" + std::to_string(size), "reference");
    }
    const double oursSmall = NsPerItem(ours, sizes[0]), theirsSmall = NsPerItem(theirs, sizes[0]);
    if (oursSmall > 0 && theirsSmall > 0)
      std::printf("%s: time per %s, %d / %d: ours %.2f, reference %.2f (goal: at most 1.3)\n", what, unit, sizes[2],
                  sizes[0], NsPerItem(ours, sizes[2]) / oursSmall, NsPerItem(theirs, sizes[2]) / theirsSmall);
  }
};

// Both sides must give the same result, or the comparison means nothing:
// one pooled pointer per distinct text, holding that text; the same built text.
bool SameResults() {
  const auto& texts = Texts(kTextCounts[0]);
  StrPool_C pool(kFirstBlock);
  std::unordered_set<std::u16string> set;
  std::unordered_set<const char16_t*> pointers;
  for (const auto& t : texts) {
    const char16_t* p = pool.Intern(t.c_str());
    if (!p || std::u16string(p) != t || pool.Intern(t.c_str()) != p) return false;
    pointers.insert(p);
    set.insert(t);
  }
  if (pointers.size() != set.size()) return false;

  WStrBuilder_C b;
  std::u16string s;
  for (int64_t i = 0; i < LinesFor(kTextMegabytes[0]); ++i) {
    b.Append(kLine.c_str(), static_cast<int32_t>(kLine.size()));
    s.append(kLine);
  }
  return std::u16string(b.GetText(), b.GetLength()) == s;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SameResults()) {
    std::fprintf(stderr, "the pool or the builder disagrees with the standard containers\n");
    return 1;
  }
  PerItemReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintTable("interning", "text", "BM_InternOurs", "BM_InternReference", kTextCounts);
  reporter.PrintTable("building", "line", "BM_BuildOurs", "BM_BuildReference", kTextMegabytes);
  return 0;
}
