// Throughput of the whole-string UTF-8 <-> UTF-16 helpers against glibc's
// iconv on the same texts in the same run: plain ASCII, track-list JSON
// (ASCII with some accented and Japanese labels) and Japanese text. After the
// table it prints each throughput and the ratio ours / iconv.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <string>

#include "bench/common/ThroughputReporter.h"
#include "platform/win32/utf.h"

namespace {

constexpr size_t kTextBytes = 4 * 1024 * 1024;

std::string Repeat(const std::string& piece) {
  std::string s;
  while (s.size() < kTextBytes) s += piece;
  return s;
}

const std::string& Sample(int kind) {
  static const std::string ascii = Repeat(
      "{\"id\":\"1207\",\"type\":\"Circuit\",\"uDate\":\"1700001207\",\"BCNXFile\":\"https://127.0.0.1/b.bcnx\"},");
  static const std::string mixed = Repeat(
      "{\"id\":\"1207\",\"Label\":\"N\xC3\xBCrburgring Nordschleife\",\"type\":\"Circuit\"},"
      "{\"id\":\"1208\",\"Label\":"
      "\"\xE9\x88\xB4\xE9\xB9\xBF\xE3\x82\xB5\xE3\x83\xBC\xE3\x82\xAD\xE3\x83\x83\xE3\x83\x88 1208\"},");
  static const std::string japanese = Repeat(
      "\xE9\x88\xB4\xE9\xB9\xBF\xE3\x82\xB5\xE3\x83\xBC\xE3\x82\xAD\xE3\x83\x83\xE3\x83\x88\xE3\x80\x81"
      "\xE5\xAF\x8C\xE5\xA3\xAB\xE3\x82\xB9\xE3\x83\x94\xE3\x83\xBC\xE3\x83\x89\xE3\x82\xA6\xE3\x82\xA7\xE3\x82\xA4 "
      "\xF0\x9F\x8F\x81\n");
  return kind == 0 ? ascii : kind == 1 ? mixed : japanese;
}

const char* const kKindNames[] = {"ascii", "tracklist", "japanese"};

// One conversion through iconv into a buffer of the worst-case size.
std::string IconvConvert(iconv_t cd, const char* in, size_t inBytes, size_t outBytes) {
  std::string out(outBytes, '\0');
  char* src = const_cast<char*>(in);
  char* dst = out.data();
  size_t left = outBytes;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &inBytes, &dst, &left) == static_cast<size_t>(-1)) return std::string();
  out.resize(outBytes - left);
  return out;
}

void BM_Utf8To16Ours(benchmark::State& state) {
  const std::string& text = Sample(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::u16string w = Utf8ToUtf16(text);
    benchmark::DoNotOptimize(w.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Utf8To16Iconv(benchmark::State& state) {
  const std::string& text = Sample(static_cast<int>(state.range(0)));
  iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  for (auto _ : state) {
    std::string w = IconvConvert(cd, text.data(), text.size(), text.size() * 2);
    benchmark::DoNotOptimize(w.data());
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Utf16To8Ours(benchmark::State& state) {
  const std::string& text = Sample(static_cast<int>(state.range(0)));
  const std::u16string wide = Utf8ToUtf16(text);
  for (auto _ : state) {
    std::string s = Utf16ToUtf8(wide);
    benchmark::DoNotOptimize(s.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Utf16To8Iconv(benchmark::State& state) {
  const std::string& text = Sample(static_cast<int>(state.range(0)));
  const std::u16string wide = Utf8ToUtf16(text);
  iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
  for (auto _ : state) {
    std::string s = IconvConvert(cd, reinterpret_cast<const char*>(wide.data()), wide.size() * 2, wide.size() * 3);
    benchmark::DoNotOptimize(s.data());
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_Utf8To16Ours)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8To16Iconv)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16To8Ours)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16To8Iconv)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Both sides must give the same text, or the comparison means nothing.
bool SameResults() {
  iconv_t to16 = iconv_open("UTF-16LE", "UTF-8");
  iconv_t to8 = iconv_open("UTF-8", "UTF-16LE");
  bool same = to16 != reinterpret_cast<iconv_t>(-1) && to8 != reinterpret_cast<iconv_t>(-1);
  for (int kind = 0; same && kind < 3; ++kind) {
    const std::string& text = Sample(kind);
    const std::u16string ours = Utf8ToUtf16(text);
    const std::string theirs = IconvConvert(to16, text.data(), text.size(), text.size() * 2);
    same = theirs.size() == ours.size() * 2 &&
           theirs.compare(0, theirs.size(), reinterpret_cast<const char*>(ours.data()), ours.size() * 2) == 0;
    same = same && Utf16ToUtf8(ours) == text &&
           IconvConvert(to8, reinterpret_cast<const char*>(ours.data()), ours.size() * 2, ours.size() * 3) == text;
  }
  if (to16 != reinterpret_cast<iconv_t>(-1)) iconv_close(to16);
  if (to8 != reinterpret_cast<iconv_t>(-1)) iconv_close(to8);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SameResults()) {
    std::fprintf(stderr, "our conversions and iconv disagree on the sample texts\n");
    return 1;
  }
  std::printf("texts: %.1f MB of UTF-8 each\n", kTextBytes / 1048576.0);
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (int kind = 0; kind < 3; ++kind) {
    for (const char* dir : {"Utf8To16", "Utf16To8"}) {
      char what[64], ours[64], theirs[64];
      std::snprintf(what, sizeof what, "%s %s", dir, kKindNames[kind]);
      std::snprintf(ours, sizeof ours, "BM_%sOurs/%d", dir, kind);
      std::snprintf(theirs, sizeof theirs, "BM_%sIconv/%d", dir, kind);
      reporter.PrintComparison(what, ours, theirs, "iconv");
    }
  }
  return 0;
}
