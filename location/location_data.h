// The location database (Locations.txt): countries or states with their zone
// histories, their towns or cities and the neighbourhoods of each, read once
// per process and shared by every session. Also the reader of one
// daylight-saving changeover rule in its text form.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "base/value_reader.h"
#include "base/session_bound.h"
#include "base/location_types.h"

namespace nemora {

// The database as loaded; never changed afterwards.
struct LocationData {
  int16_t intNCountries = 0;  // the size of udtCountries
  std::vector<udtCountry> udtCountries;
};

// Error code of the location database's message number n (1 to 20):
// hexadecimal 80040000 + n; number 1 is errValidation.
constexpr int32_t locationFileErrorCode(int n) { return errValidation - 1 + n; }

// Reads one changeover rule (six items: hour, day of week, week, date of
// month, month, "Gregorian" or "Hebrew") with the comment marker "#". A bad
// item shows "Error in GetNTZ, <description>" with the line "Data from last
// saved location corrupted or missing." under it and returns false.
bool GetNTZ(Session& session, ValueReader& file, udtDSTRule& rule);

// Reads a whole database from an open file. A defect raises an AppError of
// source "GetLocationData" (or "GetNTZ") whose code tells the message number.
LocationData readLocationData(Session& session, ValueReader& file);

class clsLocationData : public SessionBound {
 public:
  using SessionBound::SessionBound;

  // Loads Locations.txt from the session's data folder. A defect in the file
  // or a missing file shows its message and ends the program.
  void GetLocationData();
  // The same for a given file.
  void GetLocationData(const std::filesystem::path& path);

  bool loaded() const { return data_ != nullptr; }
  // Uses the database another session loaded (read once, shared).
  void shareFrom(const clsLocationData& other) { data_ = other.data_; }
  int16_t intNCountries() const { return data_ ? data_->intNCountries : 0; }
  // Empty until loaded.
  const std::vector<udtCountry>& udtCountries() const;

  // Index of the first country, city of a country, or neighbourhood of a city
  // with exactly this name (case-sensitive); -1 when there is none.
  int findCountry(std::string_view name) const;
  static int findCity(const udtCountry& country, std::string_view name);
  static int findNeighborhood(const udtCity& city, std::string_view name);

 private:
  std::shared_ptr<const LocationData> data_;
};

}  // namespace nemora
