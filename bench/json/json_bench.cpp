// Reading and writing a 5 MB JSON document of track-list shape with our
// reader and writer, against nlohmann-json on the same text in the same run.
// After the table it prints each throughput and the ratio ours / theirs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/common/ThroughputReporter.h"
#include "platform/win32/utf.h"
#include "webclient/JsonReader.h"
#include "webclient/JsonValue.h"

namespace {

// {"code":0,"data":{"1":{"id":"1","type":"Circuit","Label":...,"uDate":...,"BCNXFile":...},...}}
const std::string& TrackListText() {
  static const std::string text = [] {
    const char* labels[] = {"Fuji Speedway",
                            "\xE9\x88\xB4\xE9\xB9\xBF\xE3\x82\xB5\xE3\x83\xBC\xE3\x82\xAD\xE3\x83\x83\xE3\x83\x88",
                            "N\xC3\xBC"
                            "rburgring Nordschleife",
                            "Autopolis \"East\" loop"};
    std::string s = "{\"code\":0,\"data\":{";
    for (int i = 1; s.size() < 5 * 1024 * 1024; ++i) {
      if (i > 1) s += ",";
      std::string id = std::to_string(i);
      s += "\"" + id + "\":{\"id\":\"" + id + "\",\"type\":\"Circuit\",\"Label\":\"" +
           nlohmann::json(std::string(labels[i % 4])).get<std::string>() + " " + id + "\",\"uDate\":\"" +
           std::to_string(1700000000 + i) + "\",\"BCNXFile\":\"https://127.0.0.1:18080/bcnx/" + id +
           ".bcnx\",\"lat\":" + std::to_string(34.8 + i * 1e-5) + ",\"laps\":" + std::to_string(i % 97) + "}";
    }
    s += "}}";
    // The label with a quote must stay valid JSON.
    std::string fixed;
    for (size_t k = 0; k < s.size(); ++k) {
      if (s.compare(k, 8, "\"East\" l") == 0) {
        fixed += "\\\"East\\\" l";
        k += 7;
      } else {
        fixed += s[k];
      }
    }
    return fixed;
  }();
  return text;
}

void BM_ParseOurs(benchmark::State& state) {
  const std::string& text = TrackListText();
  for (auto _ : state) {
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> v(reader.Parse(text.data(), static_cast<int32_t>(text.size())));
    benchmark::DoNotOptimize(v.get());
    if (v->GetType() != JSON_OBJECT || !reader.GetErrors().empty()) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ParseNlohmann(benchmark::State& state) {
  const std::string& text = TrackListText();
  for (auto _ : state) {
    nlohmann::json j = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(j);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_WriteOurs(benchmark::State& state) {
  const std::string& text = TrackListText();
  JsonReader_C reader;
  std::unique_ptr<CJsonValue> v(reader.Parse(text.data(), static_cast<int32_t>(text.size())));
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out = Utf16ToUtf8(v->Stringify(u"", true));
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_WriteNlohmann(benchmark::State& state) {
  const std::string& text = TrackListText();
  nlohmann::json j = nlohmann::json::parse(text);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string out = j.dump();
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

BENCHMARK(BM_ParseOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseNlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteNlohmann)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("document: %.2f MB of track-list JSON\n", TrackListText().size() / 1048576.0);
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintComparison("parse", "BM_ParseOurs", "BM_ParseNlohmann", "nlohmann-json");
  reporter.PrintComparison("write", "BM_WriteOurs", "BM_WriteNlohmann", "nlohmann-json");
  return 0;
}
