// Fixed day -> date -> fixed day for each calendar, walking through two
// million consecutive days so that the one-entry stores never answer.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "base/messages.h"
#include "app/session.h"

namespace {

using nemora::udtDate;

constexpr int32_t kFirst = -1000000;
constexpr int32_t kLast = 1000000;

int32_t nextDay(int32_t n) { return n >= kLast ? kFirst : n + 1; }

template <class ToDate, class ToFixed>
void roundTrips(benchmark::State& state, ToDate toDate, ToFixed toFixed) {
  int32_t n = kFirst;
  bool ok = true;
  udtDate date;
  for (auto _ : state) {
    toDate(n, date, ok);
    benchmark::DoNotOptimize(toFixed(date, ok));
    n = nextDay(n);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_CalendarGregorian(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  auto& g = session.gregorian;
  roundTrips(
      state, [&](int32_t n, udtDate& d, bool& ok) { g.fixed_gregorian(n, d, ok); },
      [&](const udtDate& d, bool& ok) { return g.gregorian_fixed(d, ok); });
}
BENCHMARK(BM_CalendarGregorian);

void BM_CalendarJulian(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  auto& j = session.julian;
  roundTrips(
      state, [&](int32_t n, udtDate& d, bool& ok) { j.fixed_julian(n, d, ok); },
      [&](const udtDate& d, bool& ok) { return j.julian_fixed(d, ok); });
}
BENCHMARK(BM_CalendarJulian);

void BM_CalendarHebrew(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  auto& h = session.hebrew;
  roundTrips(
      state, [&](int32_t n, udtDate& d, bool& ok) { h.fixed_hebrew(n, d, ok); },
      [&](const udtDate& d, bool& ok) { return h.hebrew_fixed(d, ok); });
}
BENCHMARK(BM_CalendarHebrew);

void BM_CalendarIslamic(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  auto& i = session.islamic;
  roundTrips(
      state, [&](int32_t n, udtDate& d, bool& ok) { i.fixed_islamic(n, d, ok); },
      [&](const udtDate& d, bool& ok) { return i.islamic_fixed(d, ok); });
}
BENCHMARK(BM_CalendarIslamic);

// A daylight-saving comparison (last Sunday of March) for consecutive days.
void BM_CalendarBeforeOnAfter(benchmark::State& state) {
  nemora::RecordingMessageSink sink;
  nemora::Session session(sink);
  int32_t n = 700000;
  bool ok = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.gregorian.BeforeOnAfter(0, 1, 5, 3, n + 0.5, ok));
    n = n >= 800000 ? 700000 : n + 1;
  }
}
BENCHMARK(BM_CalendarBeforeOnAfter);

}  // namespace
