// Probability of testimony against the same formula evaluated with an exact
// normal distribution, structural properties, and its failures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "base/options.h"
#include "visibility/testimony.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// Standard normal distribution through the library's complementary error
// function, and its inverse by Newton's method: a route independent of the
// program's series and bisection.
double phi(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double phiInverse(double p) {
  double x = 0;
  for (int i = 0; i < 100; ++i) {
    double density = std::exp(-x * x / 2) / std::sqrt(2 * M_PI);
    double step = (phi(x) - p) / density;
    x -= step;
    if (std::fabs(step) < 1e-14) break;
  }
  return x;
}
double referenceTestimony(double P, bool women, int k, double population) {
  double n = population * (women ? 46.0 : 23.0) / 1e6;
  return phi(phiInverse(P) - phiInverse(1 / (n - k + 1)) * 0.51 / 0.86);
}

TEST(Testimony, AgreesWithTheExactNormalDistribution) {
  // The program's inverse stops at a bracket of 0.0078 (each z off by up to
  // 0.0039), so the argument is off by up to 0.0039 * (1 + 0.51/0.86) = 0.0062
  // and the probability by at most 0.0062 times the peak density 0.399.
  constexpr double kTolerance = 0.0025;
  struct Setting {
    bool women;
    int witnesses;
    double population;
  };
  const Setting settings[] = {{false, 2, 700000}, {true, 2, 700000}, {false, 10, 1000000},
                              {true, 100, 10000000}, {false, 1, 43479}, {true, 3, 100000000000}};
  for (const Setting& st : settings)
    for (double P : {0.01, 0.05, 0.2, 0.5, 0.8, 0.95, 0.99}) {
      RecordedSession s;
      bool ok = false;
      double pt = PTestimony(s.session, P, st.women, st.witnesses, st.population, ok);
      EXPECT_TRUE(ok);
      EXPECT_NEAR(pt, referenceTestimony(P, st.women, st.witnesses, st.population), kTolerance)
          << P << " " << st.women << " " << st.witnesses << " " << st.population;
      EXPECT_GE(pt, 0);
      EXPECT_LE(pt, 1);
    }
}

TEST(Testimony, EvenOddsWithTwoCandidates) {
  // 1000000 people hold exactly 23 likely men; with 22 witnesses
  // n - k + 1 = 2, so q = 0.5 and both normal deviates are (nearly) zero.
  RecordedSession s;
  bool ok = false;
  EXPECT_NEAR(PTestimony(s.session, 0.5, false, 22, 1000000, ok), 0.5, 0.002);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(referenceTestimony(0.5, false, 22, 1000000), 0.5, 1e-12);
}

TEST(Testimony, GrowsWithVisibilityAndPopulationAndFallsWithWitnesses) {
  RecordedSession s;
  bool ok = true;
  double previous = -1;
  for (double P = 0; P <= 1.0; P += 0.01) {
    double pt = PTestimony(s.session, P, false, 2, 700000, ok);
    EXPECT_GE(pt, previous) << P;
    previous = pt;
  }
  EXPECT_LT(PTestimony(s.session, 0, false, 2, 700000, ok), 1e-6);
  EXPECT_GT(PTestimony(s.session, 1, false, 2, 700000, ok), 1 - 1e-6);

  previous = -1;
  for (double population : {50000.0, 100000.0, 700000.0, 5e6, 1e8, 1e11}) {
    double pt = PTestimony(s.session, 0.3, true, 2, population, ok);
    EXPECT_GE(pt, previous) << population;
    previous = pt;
  }
  previous = 2;
  for (int witnesses : {1, 2, 5, 10, 15}) {
    double pt = PTestimony(s.session, 0.3, false, witnesses, 700000, ok);
    EXPECT_LE(pt, previous) << witnesses;
    previous = pt;
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(Testimony, ReadsTheSessionSettings) {
  RecordedSession s;
  bool ok = false;
  double startUp = PTestimony(s.session, 0.4, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(startUp, PTestimony(s.session, 0.4, false, 2, 700000, ok));
  s.session.options.blnWomen = true;
  s.session.options.lngNWitnesses = 7;
  s.session.options.dblPopulation = 2500000;
  EXPECT_EQ(PTestimony(s.session, 0.4, ok), PTestimony(s.session, 0.4, true, 7, 2500000, ok));
  EXPECT_NE(PTestimony(s.session, 0.4, ok), startUp);
}

TEST(Testimony, FailuresOfTheInverse) {
  RecordedSession s;
  bool ok = true;
  EXPECT_EQ(PTestimony(s.session, 1.5, false, 2, 700000, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in Main.NormInv, dblX out of range: 1.5"});

  // More witnesses than likely observers: 1/(16.1 - 20 + 1) is negative.
  s.sink.clear();
  ok = true;
  EXPECT_EQ(PTestimony(s.session, 0.5, false, 20, 700000, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages,
            std::vector<std::string>{"Error in Main.NormInv, dblX out of range: -0.344827586206897"});
}

}  // namespace
}  // namespace nemora
