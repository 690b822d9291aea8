#include "ephemeris/hbody_geocentric.h"

#include <algorithm>
#include <cmath>

#include "base/session.h"
#include "ephemeris/hbody.h"

namespace nemora {

namespace {

constexpr int kNodes = GeocentricTable::kDegree + 1;
constexpr double kPi = 3.14159265358979323846;

// The nodes of the Chebyshev polynomial of degree kNodes on [-1, 1], from
// the right end to the left.
std::array<double, kNodes> chebyshevNodes() {
  std::array<double, kNodes> x{};
  for (int j = 0; j < kNodes; ++j) x[static_cast<size_t>(j)] = std::cos(kPi * (j + 0.5) / kNodes);
  return x;
}

}  // namespace

std::shared_ptr<const GeocentricTable> GeocentricTable::Build(Session& session, double dblFrom, double dblTo) {
  if (!(dblFrom < dblTo)) return nullptr;
  auto table = std::make_shared<GeocentricTable>();
  const auto pieceCount = static_cast<size_t>(std::ceil((dblTo - dblFrom) / kPieceDays));
  table->dblFrom_ = dblFrom;
  table->dblTo_ = dblFrom + static_cast<double>(pieceCount) * kPieceDays;
  table->inputs_.takeFrom(session);
  const std::array<double, kNodes> x = chebyshevNodes();
  for (int body = kSun; body <= kMoon; ++body) {
    std::vector<Piece>& pieces = table->pieces_[static_cast<size_t>(body)];
    pieces.resize(pieceCount);
    for (size_t p = 0; p < pieceCount; ++p) {
      const double mid = dblFrom + (static_cast<double>(p) + 0.5) * kPieceDays;
      std::array<std::array<double, kNodes>, 3> values{};
      for (size_t j = 0; j < kNodes; ++j) {
        udtHBody r;
        bool ok = true;
        session.hbody.SeriesEcliptic(body == kMoon, mid + x[j] * kPieceDays / 2, r, ok);
        if (!ok) return nullptr;
        // The longitude carried on from the node before, without the jump at
        // 360 degrees.
        double longitude = r.EclLong;
        if (j > 0) longitude += 360 * std::round((values[0][j - 1] - longitude) / 360);
        values[0][j] = longitude;
        values[1][j] = r.EclDecl;
        values[2][j] = r.DistanceGeo;
      }
      // c_k = 2 / n sum_j f(x_j) T_k(x_j).
      for (size_t c = 0; c < 3; ++c)
        for (int k = 0; k < kNodes; ++k) {
          double sum = 0;
          for (int j = 0; j < kNodes; ++j) sum += values[c][static_cast<size_t>(j)] * std::cos(kPi * k * (j + 0.5) / kNodes);
          pieces[p][c][static_cast<size_t>(k)] = 2.0 * sum / kNodes;
        }
    }
  }
  return table;
}

bool GeocentricTable::Covers(const Session& session, double dblFix) const {
  return dblFix >= dblFrom_ && dblFix <= dblTo_ && inputs_.matches(session);
}

GeocentricTable::Coordinates GeocentricTable::At(Body body, double dblFix) const {
  const std::vector<Piece>& pieces = pieces_[static_cast<size_t>(body)];
  const double u = (dblFix - dblFrom_) / kPieceDays;
  const size_t p = std::min(pieces.size() - 1, static_cast<size_t>(std::max(0.0, std::floor(u))));
  // The instant on the piece's [-1, 1], then Clenshaw's recurrence.
  const double x = 2 * (u - static_cast<double>(p)) - 1;
  double out[3];
  for (size_t c = 0; c < 3; ++c) {
    const auto& a = pieces[p][c];
    double b1 = 0, b2 = 0;
    for (int k = kDegree; k >= 1; --k) {
      const double b0 = 2 * x * b1 - b2 + a[static_cast<size_t>(k)];
      b2 = b1;
      b1 = b0;
    }
    out[c] = x * b1 - b2 + a[0] / 2;
  }
  return {out[0], out[1], out[2]};
}

}  // namespace nemora
