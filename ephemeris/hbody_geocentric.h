// The Sun's and the Moon's geocentric ecliptic coordinates of date over a
// span of a few days, for work that asks for them at thousands of places
// within that span (the world map): the series are evaluated at the nodes
// of a Chebyshev polynomial on each piece of the span, and a position in
// between comes from the polynomial. Within 0.001" of the series (measured
// over centuries of instants by tests/ephemeris/hbody_geocentric_test.cpp).
//
// A session uses a table only when one is installed on it
// (clsHBody::UseGeocentricTable) and only within the table's span and for
// the inputs it was built for (the data folder and the shift of Delta T);
// every other position comes from the series themselves.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "base/memory_keys.h"

namespace nemora {

class Session;

class GeocentricTable {
 public:
  // Longitude and latitude of date (degrees, the longitude counted on past
  // 360 so that it runs smoothly) and distance (km) from the Earth's centre.
  struct Coordinates {
    double dblLong = 0, dblLat = 0, dblDistance = 0;
  };
  enum Body { kSun = 0, kMoon = 1 };

  // A table over [dblFrom, dblTo] from the series of the session's data
  // folder with its Delta T; empty (nullptr) when a position there cannot
  // be computed.
  static std::shared_ptr<const GeocentricTable> Build(Session& session, double dblFrom, double dblTo);

  // True when the instant lies within the span and the session's inputs are
  // those the table was built for.
  bool Covers(const Session& session, double dblFix) const;
  Coordinates At(Body body, double dblFix) const;

  double From() const { return dblFrom_; }
  double To() const { return dblTo_; }

  // Days of one piece and the degree of its polynomials.
  static constexpr double kPieceDays = 1;
  static constexpr int kDegree = 9;

 private:
  double dblFrom_ = 0, dblTo_ = 0;
  InstantInputs inputs_;
  // Per body, per piece, per coordinate: the Chebyshev coefficients.
  using Piece = std::array<std::array<double, kDegree + 1>, 3>;
  std::array<std::vector<Piece>, 2> pieces_;
};

}  // namespace nemora
