#include "tests/timescale/tzif_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace nemora::testing {

namespace {

class Bytes {
 public:
  explicit Bytes(std::vector<unsigned char> data) : data_(std::move(data)) {}
  uint64_t big(size_t n) {
    need(n);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | data_[pos_++];
    return v;
  }
  int64_t signedBig(size_t n) {
    uint64_t v = big(n);
    if (n < 8 && (v >> (8 * n - 1))) v |= ~uint64_t{0} << (8 * n);
    return static_cast<int64_t>(v);
  }
  void skip(size_t n) {
    need(n);
    pos_ += n;
  }
  std::string text(size_t n) {
    need(n);
    std::string s(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return s;
  }

 private:
  void need(size_t n) const {
    if (pos_ + n > data_.size()) throw std::runtime_error("truncated TZif file");
  }
  std::vector<unsigned char> data_;
  size_t pos_ = 0;
};

struct Header {
  char version = 0;
  uint64_t isutcnt = 0, isstdcnt = 0, leapcnt = 0, timecnt = 0, typecnt = 0, charcnt = 0;
};

Header readHeader(Bytes& in) {
  if (in.text(4) != "TZif") throw std::runtime_error("not a TZif file");
  Header h;
  h.version = in.text(1)[0];
  in.skip(15);
  h.isutcnt = in.big(4);
  h.isstdcnt = in.big(4);
  h.leapcnt = in.big(4);
  h.timecnt = in.big(4);
  h.typecnt = in.big(4);
  h.charcnt = in.big(4);
  return h;
}

// The data block after a header, with times of timeSize bytes.
TzifZone readBlock(Bytes& in, const Header& h, size_t timeSize) {
  TzifZone z;
  for (uint64_t i = 0; i < h.timecnt; ++i) z.transitions.push_back(in.signedBig(timeSize));
  for (uint64_t i = 0; i < h.timecnt; ++i) z.typeOfTransition.push_back(static_cast<uint8_t>(in.big(1)));
  for (uint64_t i = 0; i < h.typecnt; ++i) {
    TzifZone::Type t;
    t.utoff = static_cast<int32_t>(in.signedBig(4));
    t.isdst = in.big(1) != 0;
    in.skip(1);
    z.types.push_back(t);
  }
  in.skip(h.charcnt + h.leapcnt * (timeSize + 4) + h.isstdcnt + h.isutcnt);
  if (z.types.empty()) throw std::runtime_error("TZif file without types");
  for (uint8_t type : z.typeOfTransition)
    if (type >= z.types.size()) throw std::runtime_error("bad TZif type index");
  z.lastCovered = z.transitions.empty() ? INT64_MIN : z.transitions.back();
  return z;
}

}  // namespace

int32_t TzifZone::offsetAt(int64_t t) const {
  auto after = std::upper_bound(transitions.begin(), transitions.end(), t);
  if (after == transitions.begin()) return types.front().utoff;
  return types[typeOfTransition[static_cast<size_t>(after - transitions.begin()) - 1]].utoff;
}

TzifZone readTzif(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  Bytes in(std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {}));
  Header h = readHeader(in);
  TzifZone v1 = readBlock(in, h, 4);
  if (h.version < '2') return v1;
  Header h2 = readHeader(in);
  return readBlock(in, h2, 8);
}

}  // namespace nemora::testing
