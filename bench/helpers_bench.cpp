#include <benchmark/benchmark.h>

#include "base/number_format.h"
#include "base/messages.h"
#include "app/session.h"

namespace {

void BM_Norm(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  bool ok = true;
  double x = -4;
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.main.Norm(x, ok));
    x = x > 4 ? -4 : x + 0.001;
  }
}
BENCHMARK(BM_Norm);

void BM_NormInv(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  bool ok = true;
  double p = 0.001;
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.main.NormInv(p, ok));
    p = p > 0.999 ? 0.001 : p + 0.001;
  }
}
BENCHMARK(BM_NormInv);

void BM_FormatNumber(benchmark::State& state) {
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nemora::formatNumber(x, "#########0.00"));
    x += 1.37;
  }
}
BENCHMARK(BM_FormatNumber);

}  // namespace
