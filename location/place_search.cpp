#include "location/place_search.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <mutex>

#include "location/location_data.h"

namespace nemora {
namespace {

// Latin letters with accents (U+00C0 to U+017F) as plain lower-case letters;
// an empty entry keeps the character.
const char* latinBase(char32_t c) {
  static const char* const kLatin1[64] = {
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
      "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "ss",
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
      "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "y"};
  if (c >= 0xC0 && c <= 0xFF) return kLatin1[c - 0xC0];
  // Latin Extended-A by ranges of one base letter.
  struct Range {
    char32_t last;
    const char* base;
  };
  static const Range kExtended[] = {
      {0x105, "a"}, {0x10D, "c"},  {0x111, "d"}, {0x11B, "e"}, {0x123, "g"}, {0x127, "h"},
      {0x131, "i"}, {0x133, "ij"}, {0x135, "j"}, {0x138, "k"}, {0x142, "l"}, {0x14B, "n"},
      {0x151, "o"}, {0x153, "oe"}, {0x159, "r"}, {0x161, "s"}, {0x167, "t"}, {0x173, "u"},
      {0x175, "w"}, {0x178, "y"},  {0x17E, "z"}, {0x17F, "s"}};
  if (c >= 0x100 && c <= 0x17F)
    for (const Range& r : kExtended)
      if (c <= r.last) return r.base;
  return "";
}

// Decodes one UTF-8 character at text[i], advancing i; a malformed byte is
// taken as it stands.
char32_t nextChar(std::string_view text, size_t& i) {
  unsigned char b = static_cast<unsigned char>(text[i]);
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + static_cast<size_t>(extra) >= text.size()) {
    ++i;
    return b;
  }
  char32_t c = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return b;
    }
    c = (c << 6) | (next & 0x3F);
  }
  i += static_cast<size_t>(extra) + 1;
  return c;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (true) {
    size_t at = text.find(separator, from);
    parts.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  return parts;
}

// PlaceNames.txt as read: the countries' aliases and, per database entry,
// its country and the other names of its towns.
struct NamesFile {
  struct Town {
    std::string name, region;
    int64_t population = 0;
    std::vector<std::string> alternates;
  };
  struct Entry {
    std::string country;
    std::unordered_map<std::string, Town> towns;  // by the database's town name
  };
  std::vector<std::pair<std::string, std::vector<std::string>>> aliases;
  std::unordered_map<std::string, Entry> entries;
};

std::shared_ptr<const NamesFile> readNamesFile(const std::filesystem::path& path) {
  static std::mutex mutex;
  static std::map<std::filesystem::path, std::shared_ptr<const NamesFile>> cache;
  std::error_code ec;
  std::filesystem::path key = std::filesystem::absolute(path, ec).lexically_normal();
  if (ec) key = path;
  std::lock_guard<std::mutex> lock(mutex);
  if (auto found = cache.find(key); found != cache.end()) return found->second;
  auto file = std::make_shared<NamesFile>();
  std::ifstream in(path, std::ios::binary);
  NamesFile::Entry* entry = nullptr;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    auto fields = split(line, '\t');
    if (fields[0] == "A" && fields.size() >= 3) {
      file->aliases.emplace_back(fields[1], split(fields[2], '|'));
    } else if (fields[0] == "E" && fields.size() >= 3) {
      entry = &file->entries[fields[1]];
      entry->country = fields[2];
    } else if (fields[0] == "C" && fields.size() >= 6 && entry) {
      NamesFile::Town& town = entry->towns[fields[1]];
      town.name = fields[2];
      town.region = fields[3];
      std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), town.population);
      if (!fields[5].empty()) town.alternates = split(fields[5], '|');
    }
  }
  std::shared_ptr<const NamesFile> shared = file;
  cache.emplace(key, shared);
  return shared;
}

// The country of a database entry without a line in the names file: its name
// up to " - " ("United States - Texas" lies in the United States).
std::string countryOfEntry(const std::string& entry) {
  size_t dash = entry.find(" - ");
  return dash == std::string::npos ? entry : entry.substr(0, dash);
}

constexpr const char* kSearchHint = " (nemora-cli places --search TEXT finds places.)";

}  // namespace

size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string foldedPlaceName(std::string_view text) {
  std::string out;
  bool blank = false;
  for (size_t i = 0; i < text.size();) {
    char32_t c = nextChar(text, i);
    std::string piece;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '-') {
      blank = true;
      continue;
    } else if (c < 0x80) {
      piece = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    } else if (c == 0x2019 || c == 0x2BC || c == 0x2BB) {
      piece = "'";
    } else if (const char* base = latinBase(c); *base) {
      piece = base;
    } else {
      // Any other character as its UTF-8 bytes.
      char32_t v = c;
      if (v < 0x800) {
        piece += static_cast<char>(0xC0 | (v >> 6));
        piece += static_cast<char>(0x80 | (v & 0x3F));
      } else if (v < 0x10000) {
        piece += static_cast<char>(0xE0 | (v >> 12));
        piece += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        piece += static_cast<char>(0x80 | (v & 0x3F));
      } else {
        piece += static_cast<char>(0xF0 | (v >> 18));
        piece += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
        piece += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        piece += static_cast<char>(0x80 | (v & 0x3F));
      }
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += piece;
  }
  return out;
}

PlaceFinder::PlaceFinder(const clsLocationData& database, const std::filesystem::path& namesFile) {
  auto names = readNamesFile(namesFile);
  for (const auto& [country, aliases] : names->aliases) {
    const std::string folded = foldedPlaceName(country);
    countryAliases_[folded] = folded;
    for (const auto& alias : aliases) countryAliases_.emplace(foldedPlaceName(alias), folded);
  }
  const auto& countries = database.udtCountries();
  for (size_t i = 0; i < countries.size(); ++i) {
    const udtCountry& entry = countries[i];
    auto found = names->entries.find(entry.strName);
    const NamesFile::Entry* named = found == names->entries.end() ? nullptr : &found->second;
    const std::string country = named ? named->country : countryOfEntry(entry.strName);
    entryCountryFolded_.push_back(foldedPlaceName(country));
    entryFolded_.push_back(foldedPlaceName(entry.strName));
    countryAliases_.emplace(entryCountryFolded_.back(), entryCountryFolded_.back());
    for (size_t k = 0; k < entry.udtCities.size(); ++k) {
      PlaceTown town;
      town.country = static_cast<int32_t>(i);
      town.city = static_cast<int32_t>(k);
      town.name = entry.udtCities[k].strName;
      town.countryName = country;
      if (named) {
        if (auto t = named->towns.find(town.name); t != named->towns.end()) {
          town.name = t->second.name.empty() ? town.name : t->second.name;
          town.region = t->second.region;
          town.population = t->second.population;
          town.alternates = t->second.alternates;
        }
      }
      const auto index = static_cast<uint32_t>(towns_.size());
      const std::string own = foldedPlaceName(town.name);
      const std::string listed = foldedPlaceName(entry.udtCities[k].strName);
      primary_[own].push_back(index);
      if (listed != own) primary_[listed].push_back(index);
      for (const auto& alternate : town.alternates) {
        const std::string folded = foldedPlaceName(alternate);
        if (folded == own || folded == listed) continue;
        auto& list = alternate_[folded];
        if (list.empty() || list.back() != index) list.push_back(index);
      }
      ++nameCount_[own + "|" + entryCountryFolded_.back()];
      std::vector<std::string> folded{own, listed};
      for (const auto& alternate : town.alternates) folded.push_back(foldedPlaceName(alternate));
      folded_.push_back(std::move(folded));
      regionFolded_.push_back(foldedPlaceName(town.region));
      towns_.push_back(std::move(town));
    }
  }
}

std::string PlaceFinder::labelOf(size_t index) const {
  const PlaceTown& town = towns_[index];
  std::string label = town.name;
  auto count = nameCount_.find(foldedPlaceName(town.name) + "|" + entryCountryFolded_[town.country]);
  if (count != nameCount_.end() && count->second > 1 && !town.region.empty()) label += ", " + town.region;
  return label + ", " + town.countryName;
}

PlaceFound PlaceFinder::foundOf(size_t index) const {
  const PlaceTown& town = towns_[index];
  return {town.country, town.city, 0, labelOf(index)};
}

bool PlaceFinder::isCountry(const std::string& folded) const {
  if (countryAliases_.count(folded)) return true;
  return std::find(entryFolded_.begin(), entryFolded_.end(), folded) != entryFolded_.end();
}

std::string PlaceFinder::nearestCountries(const std::string& typed) const {
  const std::string key = foldedPlaceName(typed);
  // Each country once, by its nearest alias; the names shown are the countries'.
  std::map<std::string, size_t> nearest;
  for (const auto& [alias, country] : countryAliases_) {
    size_t d = !key.empty() && alias.starts_with(key) ? 0 : editDistance(key, alias);
    auto [at, added] = nearest.emplace(country, d);
    if (!added) at->second = std::min(at->second, d);
  }
  std::vector<std::pair<size_t, std::string>> order;
  for (const auto& [country, d] : nearest) order.emplace_back(d, country);
  std::sort(order.begin(), order.end());
  std::string text;
  for (size_t i = 0; i < order.size() && i < 3; ++i) {
    // The country's own spelling: that of a town lying in it.
    std::string shown = order[i].second;
    for (const PlaceTown& town : towns_)
      if (entryCountryFolded_[town.country] == order[i].second) {
        shown = town.countryName;
        break;
      }
    text += (i ? ", " : " ") + shown;
  }
  return text.empty() ? text : " Nearest names:" + text + ".";
}

bool PlaceFinder::countryMatches(const PlaceTown& town, const std::string& folded) const {
  if (entryFolded_[town.country] == folded) return true;
  auto alias = countryAliases_.find(folded);
  return alias != countryAliases_.end() && alias->second == entryCountryFolded_[town.country];
}

std::vector<size_t> PlaceFinder::candidates(const std::string& name, bool& primary) const {
  std::vector<size_t> out;
  primary = true;
  if (auto found = primary_.find(name); found != primary_.end()) out.assign(found->second.begin(), found->second.end());
  if (out.empty()) {
    primary = false;
    if (auto found = alternate_.find(name); found != alternate_.end())
      out.assign(found->second.begin(), found->second.end());
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::string PlaceFinder::nearestNames(const std::string& name, const std::string& country) const {
  struct Near {
    size_t distance;
    int64_t population;
    size_t town;
  };
  std::vector<Near> near;
  for (const auto& [folded, towns] : primary_) {
    const size_t gap = folded.size() > name.size() ? folded.size() - name.size() : name.size() - folded.size();
    size_t distance = !name.empty() && folded.starts_with(name) ? 0 : gap > 3 ? gap : editDistance(name, folded);
    if (distance > std::max<size_t>(3, name.size() / 3)) continue;
    for (uint32_t t : towns)
      if (country.empty() || countryMatches(towns_[t], country))
        near.push_back({distance, towns_[t].population, t});
  }
  std::sort(near.begin(), near.end(), [](const Near& a, const Near& b) {
    return a.distance != b.distance ? a.distance < b.distance
                                    : a.population != b.population ? a.population > b.population : a.town < b.town;
  });
  std::string text;
  for (size_t i = 0; i < near.size() && i < 5; ++i) text += (i ? "; " : " ") + labelOf(near[i].town);
  return text.empty() ? text : " Nearest names:" + text + ".";
}

bool PlaceFinder::find(const std::string& typed, PlaceFound& found, std::string& problem) const {
  auto parts = split(typed, ',');
  for (auto& part : parts) part = foldedPlaceName(part);
  const std::string shown = [&] {
    std::string t = typed;
    size_t first = t.find_first_not_of(" \t\r\n"), last = t.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : t.substr(first, last - first + 1);
  }();
  if (parts.size() > 3 || std::any_of(parts.begin(), parts.end(), [](const auto& p) { return p.empty(); })) {
    problem = "Write a place as City, \"City, Country\" or \"City, Region, Country\": \"" + shown + "\".";
    return false;
  }
  const std::string& name = parts[0];
  std::string country = parts.size() == 3 ? parts[2] : parts.size() == 2 && isCountry(parts[1]) ? parts[1] : "";
  std::string region = parts.size() == 3 ? parts[1] : parts.size() == 2 && country.empty() ? parts[1] : "";
  if (parts.size() == 3 && !isCountry(country)) {
    problem = "Country not found: \"" + split(shown, ',')[2] + "\"." + nearestCountries(country) + kSearchHint;
    return false;
  }
  bool primary = true;
  std::vector<size_t> matches;
  for (size_t t : candidates(name, primary)) {
    const PlaceTown& town = towns_[t];
    if (!country.empty() && !countryMatches(town, country)) continue;
    if (!region.empty() && regionFolded_[t] != region) continue;
    matches.push_back(t);
  }
  if (matches.empty()) {
    problem = "Place not found: \"" + shown + "\"." + nearestNames(name, country) + kSearchHint;
    return false;
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [&](size_t a, size_t b) { return towns_[a].population > towns_[b].population; });
  // One town, or one far larger than any other of the name.
  if (matches.size() == 1 || (towns_[matches[0]].population > 0 &&
                              towns_[matches[0]].population >= 10 * towns_[matches[1]].population)) {
    found = foundOf(matches[0]);
    return true;
  }
  problem = "Several places are called \"" + shown + "\":";
  for (size_t i = 0; i < matches.size() && i < 6; ++i) problem += (i ? "; " : " ") + labelOf(matches[i]);
  if (matches.size() > 6) problem += "; and " + std::to_string(matches.size() - 6) + " more";
  problem += ". Write one of them as shown (\"City, Country\" or \"City, Region, Country\").";
  return false;
}

std::vector<PlaceFound> PlaceFinder::search(const std::string& text, size_t limit) const {
  auto parts = split(text, ',');
  for (auto& part : parts) part = foldedPlaceName(part);
  const std::string name = parts[0];
  std::string country, region;
  if (parts.size() >= 2 && !parts.back().empty()) {
    if (isCountry(parts.back())) {
      country = parts.back();
      if (parts.size() >= 3) region = parts[1];
    } else {
      region = parts.back();
    }
  }
  struct Scored {
    int score;
    int64_t population;
    size_t town;
  };
  std::vector<Scored> scored;
  if (name.empty()) return {};
  for (size_t t = 0; t < towns_.size(); ++t) {
    const PlaceTown& town = towns_[t];
    if (!country.empty() && !countryMatches(town, country)) continue;
    if (!region.empty() && !regionFolded_[t].starts_with(region)) continue;
    int best = 3;
    for (const std::string& folded : folded_[t]) {
      if (folded == name) {
        best = 0;
        break;
      }
      if (best > 1 && folded.starts_with(name)) best = 1;
      else if (best > 2 && name.size() >= 3 && folded.find(name) != std::string::npos) best = 2;
    }
    if (best < 3) scored.push_back({best, town.population, t});
  }
  std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
    return a.score != b.score ? a.score < b.score
                              : a.population != b.population ? a.population > b.population : a.town < b.town;
  });
  std::vector<PlaceFound> out;
  for (size_t i = 0; i < scored.size() && i < limit; ++i) out.push_back(foundOf(scored[i].town));
  return out;
}

}  // namespace nemora
