#include "base/session_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app/session.h"
#include "ephemeris/hbody.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// The evening of 10 March 2024 (fixed day 738955).
constexpr int32_t kDay = 738955;

// One job: the Moon's apparent setting at a place chosen by the index, spread
// over the globe so that neighbouring jobs are far apart. Index 7 and 9 ask
// for a body that does not exist.
double moonset(Session& s, size_t i) {
  SessionPool::movePlace(s, -55 + static_cast<double>(i % 12) * 10, -175 + static_cast<double>(i * 37 % 350), 0);
  bool ok = true, neverRises = false, neverSets = false;
  if (i == 7 || i == 9) {
    udtHBody body;
    s.hbody.TrueHBody("Pluto", kDay, body, ok);
    return -1;
  }
  double t = s.hbody.RiseSet("Moon", kDay, true, true, neverRises, neverSets, ok);
  return ok ? t : -2;
}

TEST(SessionPool, SameResultsWhateverTheThreadsAndCancelStopsEarly) {
  RecordedSession caller;
  caller.session.udtWeather.udtBasis = kWeatherGlobal;
  constexpr size_t kJobs = 40;
  std::vector<double> one, two;
  std::vector<double> fractions;
  {
    SessionPool pool(caller.session, 1);
    EXPECT_TRUE(pool.runCollect(kJobs, one, moonset, [&](double f) { fractions.push_back(f); }));
  }
  // Jobs 7 and 9 fail with the same message: it is shown once.
  const std::string pluto = "Error in cHBody.TrueHBody, Invalid heavenly body name: Pluto";
  auto shown = [&] { return std::count(caller.sink.messages.begin(), caller.sink.messages.end(), pluto); };
  EXPECT_EQ(caller.sink.messages.size(), 1u);
  EXPECT_EQ(shown(), 1);
  ASSERT_GE(fractions.size(), 2u);
  EXPECT_EQ(fractions.front(), 0);
  EXPECT_EQ(fractions.back(), 1);

  caller.sink.clear();
  {
    SessionPool pool(caller.session, 2);
    EXPECT_EQ(pool.threadCount(), 2u);
    EXPECT_TRUE(pool.runCollect(kJobs, two, moonset));
    // The workers' sessions are used again: nothing of the earlier places.
    std::vector<double> again;
    EXPECT_TRUE(pool.runCollect(kJobs, again, moonset));
    EXPECT_EQ(again, two);
  }
  EXPECT_EQ(shown(), 2);  // once in each of the two runs
  EXPECT_EQ(one, two);
  for (size_t i = 0; i < kJobs; ++i) {
    if (i != 7 && i != 9) {
      EXPECT_GT(one[i], kDay) << i;
    }
  }

  // Cancelled from inside a job: no job starts afterwards.
  SessionPool pool(caller.session, 2);
  std::atomic<bool> cancel{false};
  std::atomic<size_t> ran{0};
  bool complete = pool.run(
      1000,
      [&](Session&, size_t i) {
        ++ran;
        if (i == 4) cancel = true;
      },
      {}, &cancel);
  EXPECT_FALSE(complete);
  EXPECT_LE(ran.load(), 4u + 1u + pool.threadCount());
}

}  // namespace
}  // namespace nemora
