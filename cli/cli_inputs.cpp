#include "cli/cli_inputs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iostream>
#include <sstream>

#include "app/main_lists.h"
#include "app/session.h"
#include "visibility/optical_aid.h"
#include "cli/place_names.h"
#include "calendar/gregorian.h"
#include "visibility/criterion_entry.h"
#include "base/criterion_types.h"
#include "visibility/observer_entry.h"

namespace nemora::cli {
namespace {

// Splits "YEAR-MONTH-DAY" where the year may carry a leading minus sign.
bool parseCalendarDate(const std::string& text, int& year, int& month, int& day) {
  std::string_view rest = text;
  bool negative = !rest.empty() && rest.front() == '-';
  if (negative) rest.remove_prefix(1);
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), parts[i]);
    if (ec != std::errc() || parts[i] < 0) return false;
    rest.remove_prefix(static_cast<size_t>(end - rest.data()));
    if (i < 2) {
      if (rest.empty() || rest.front() != '-') return false;
      rest.remove_prefix(1);
    }
  }
  if (!rest.empty()) return false;
  year = negative ? -parts[0] : parts[0];
  month = parts[1];
  day = parts[2];
  return true;
}

[[noreturn]] void usage(const std::string& text) { throw UsageError(text); }

std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Whether a calendar date exists, in words when it does not:
// "2024-02-30: February 2024 has 29 days".
void checkCalendarDate(Session& session, const udtDate& date, const std::string& typed) {
  const int year = date.intYear, month = date.intMonth, day = date.intDateOfMonth;
  const std::string shown = (typed.starts_with("-") ? "-" : "") + std::to_string(std::abs(year)) + "-" +
                            twoDigits(month) + "-" + twoDigits(day);
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  const std::string era = date.blnCE ? "" : " BCE";
  int months = 12;
  const char* calendar = "Gregorian";
  if (date.enmDateType == dtJulian) calendar = "Julian";
  if (date.enmDateType == dtIslamic) calendar = "Islamic";
  if (date.enmDateType == dtHebrew) {
    calendar = "Hebrew";
    months = session.hebrew.MonthsInHebrewYear(year);
  }
  if (month < 1 || month > months) {
    std::string text = shown + ": months are 1 to " + std::to_string(months);
    if (date.enmDateType == dtHebrew)
      text += " in the Hebrew year " + std::to_string(year) +
              (months == 12 ? " (a common year: Adar 2, month 13, is only in a leap year)" : " (a leap year)");
    else
      text += std::string(" in the ") + calendar + " calendar";
    usage(text + ".");
  }
  if (day < 1) usage(shown + ": days of the month start at 1.");
  int length = 30;
  std::string monthName;
  if (date.enmDateType == dtGregorian) {
    const int astronomical = date.blnCE ? year : 1 - year;
    length = gregorianMonthLength(month, astronomical);
    monthName = kMonths[month - 1];
  } else if (date.enmDateType == dtJulian) {
    static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    length = kLengths[month - 1] + (month == 2 && session.julian.JulianLeapYear(year, date.blnCE) ? 1 : 0);
    monthName = kMonths[month - 1];
  } else if (date.enmDateType == dtHebrew) {
    bool ok = true;
    length = session.hebrew.LastDayOfHebrewMonth(static_cast<int16_t>(month), year, ok);
    if (!ok) length = 30;
    monthName = session.hebrew.HebrewMonthName(static_cast<int16_t>(month), year);
  } else {
    // An Islamic day 30 of a 29-day month is taken as the first of the next.
    monthName = "month " + std::to_string(month);
  }
  if (day > length)
    usage(shown + ": " + monthName + " " + std::to_string(year) + era + (date.enmDateType == dtGregorian ? "" :
          std::string(" (") + calendar + ")") + " has " + std::to_string(length) + " days.");
}

bool applyDate(Session& session, const Inputs& inputs) {
  udtDate date = session.udtDateIn;
  if (!inputs.dateType.empty()) date.enmDateType = indexOf(dateTypeNames(), inputs.dateType);
  if (inputs.date.empty()) {
    if (!inputs.dateType.empty() && inputs.dateType != dateTypeNames()[session.udtDateIn.enmDateType])
      usage("--date is needed with --date-type " + inputs.dateType);
    session.udtDateIn = date;
    return true;
  }
  date.blnEve = false;
  if (date.enmDateType < dtGregorian) {
    auto value = parseNumber(inputs.date);
    if (!value) usage("Day number must be a number: " + inputs.date);
    date.dblDay = *value;
  } else {
    int year = 0, month = 0, day = 0;
    if (!parseCalendarDate(inputs.date, year, month, day))
      usage("Date must be YEAR-MONTH-DAY: " + inputs.date);
    if (std::abs(year) > 32766 || month > 32767 || day > 32767) usage("Date out of range: " + inputs.date);
    if (inputs.bce && year < 1) usage("Only positive years are valid with the BCE option.");
    date.intYear = static_cast<int16_t>(year);
    date.intMonth = static_cast<int16_t>(month);
    date.intDateOfMonth = static_cast<int16_t>(day);
    date.blnCE = !inputs.bce;
    checkCalendarDate(session, date, inputs.date);
  }
  session.udtDateIn = date;
  return true;
}

bool applyTime(Session& session, const Inputs& inputs) {
  udtTime time = session.udtTimeIn;
  if (!inputs.timeType.empty()) time.enmTimeType = indexOf(timeTypeNames(), inputs.timeType);
  if (!inputs.time.empty() && !session.timeText.ParseHM(inputs.time, time))
    usage("Time must be HH:MM[:SS[.s]]: " + inputs.time);
  if (time.enmTimeType == ttSeasonal && !inputs.time.empty()) {
    // Seasonal hours count 0 to 11 in the night (from sunset) and in the
    // day (from sunrise).
    int hours = time.udtDms.intDegreesHours;
    if (hours > 11 || !(inputs.am || inputs.pm))
      usage("Seasonal hours must be between 0 and 11, with --am (night) or --pm (day).");
    time.bln24Hour = false;
    time.blnPM = inputs.pm;
  } else if (inputs.am || inputs.pm) {
    int hours = time.udtDms.intDegreesHours;
    if (hours < 1 || hours > 12) usage("Hours must be between 1 and 12 with --am or --pm.");
    time.bln24Hour = false;
    time.blnPM = inputs.pm;
  } else if (!inputs.time.empty()) {
    time.bln24Hour = true;
    time.blnPM = false;
  }
  time.blnSecondTime = inputs.secondOccurrence;
  session.udtTimeIn = time;
  return true;
}

}  // namespace

void checkDate(Session& session, const Inputs& inputs) {
  if (inputs.date.empty() || inputs.date == "-") return;
  const udtDate saved = session.udtDateIn;
  // Before start-up the input date is the start-up's, a Gregorian one.
  session.udtDateIn.enmDateType = dtGregorian;
  applyDate(session, inputs);
  session.udtDateIn = saved;
}

std::string defaultPlaceNotice(const Session& session) {
  const udtLocation& place = session.udtLocation;
  return "No place given (and no Curloc.txt here): using " + place.strNeighborhood + ", " + place.strCity + ", " +
         place.strCountry + ". Choose one with --location, e.g. --location \"London\" or --location \"Cape Town\" "
         "(nemora-cli places --search TEXT finds places), or with --lat, --lon and --tz.";
}

bool placeGiven(const Inputs& inputs) {
  return !inputs.location.empty() || inputs.lat || inputs.lon || inputs.height || inputs.tz || inputs.dst;
}

bool applyPlace(Session& session, const Inputs& inputs) {
  if (!inputs.location.empty()) {
    PlaceNames names;
    std::string problem;
    if (!findPlace(session.locations, session.dataFile("PlaceNames.txt"), inputs.location, names, problem))
      usage(problem);
    return session.currentLocation.GetPositionFromName(names.country, names.city, names.neighbourhood, true);
  }
  if (!inputs.lat && !inputs.lon && !inputs.height && !inputs.tz && !inputs.dst) return true;
  if (!inputs.lat || !inputs.lon || !inputs.tz)
    usage("A typed position needs --lat, --lon and --tz (and optionally --height).");
  // Typed numbers go through the same checks as the location dialog's.
  if (!(*inputs.tz >= -14 && *inputs.tz <= 14)) usage("Time zone must be between -14 and 14.");
  if (!session.currentLocation.GetPositionFromName(generalNumber(*inputs.lon), generalNumber(*inputs.lat),
                                                   generalNumber(inputs.height.value_or(0)), false))
    usage("");
  udtLocation& location = session.udtLocation;
  location.blnAutoTZ = false;
  location.dblTZ = *inputs.tz;
  location.blnDST = inputs.dst;
  double minutes = std::round(std::fabs(*inputs.tz) * 60);
  location.intTZHours = static_cast<int16_t>(minutes / 60);
  location.intTZMinutes = static_cast<int16_t>(std::fmod(minutes, 60));
  location.blnTZSign = *inputs.tz >= 0;
  return true;
}

namespace {

// "Global", "Local", "Manual:" with nine numbers (temperature, pressure and
// humidity, each mean, daily range, annual range) or "Fixed:" with three.
bool applyWeather(Session& session, const std::string& text) {
  if (text.empty()) return true;
  udtWeather weather = session.udtWeather;
  auto colon = text.find(':');
  std::string basis = text.substr(0, colon);
  std::vector<double> values;
  if (colon != std::string::npos) {
    std::string rest = text.substr(colon + 1);
    size_t from = 0;
    while (from <= rest.size()) {
      size_t comma = rest.find(',', from);
      auto value = parseNumber(rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
      if (!value) usage("Weather values must be numbers: " + text);
      values.push_back(*value);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  if (basis == "Global" && values.empty()) {
    weather.udtBasis = kWeatherGlobal;
  } else if (basis == "Local" && values.empty()) {
    weather.udtBasis = kWeatherLocal;
  } else if (basis == "Manual" && values.size() == 9) {
    weather = {kWeatherManual, values[0], values[1], values[2], values[3], values[4],
               values[5], values[6], values[7], values[8]};
  } else if (basis == "Fixed" && values.size() == 3) {
    weather.udtBasis = kWeatherFixed;
    weather.dblTempMean = values[0];
    weather.dblPressMean = values[1];
    weather.dblHumMean = values[2];
  } else {
    usage("--weather must be Global, Local, Manual:TM,TD,TA,PM,PD,PA,HM,HD,HA or Fixed:T,P,H: " + text);
  }
  session.udtWeather = weather;
  return true;
}

}  // namespace

int runForEachDate(const Inputs& inputs, const std::function<bool(const Inputs&)>& one) {
  if (inputs.date != "-") return one(inputs) ? 0 : 1;
  int status = 0;
  std::string line;
  for (long number = 1; std::getline(std::cin, line); ++number) {
    // Blanks around the date and the CR of a CR LF line end are not part of it.
    Inputs lineInputs = inputs;
    lineInputs.date = trimmedName(line);
    const bool blank = lineInputs.date.empty();
    bool done = false;
    if (!blank) {
      try {
        done = one(lineInputs);
      } catch (const UsageError& e) {
        if (*e.what()) std::cerr << e.what() << '\n';
      }
    }
    if (!done) {
      std::cout << '\n';
      std::cerr << "Line " << number << ": "
                << (blank ? std::string("no date (blank line)") : "no result for " + lineInputs.date) << '\n';
      status = 1;
    }
  }
  return status;
}

int indexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

std::string plainText(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

void addInputOptions(CLI::App& app, Inputs& in) {
  app.add_option("--date-type", in.dateType, "Date type of --date")->check(CLI::IsMember(dateTypeNames()));
  app.add_option("--date", in.date, "YEAR-MONTH-DAY for calendars, a number for day counts, - for standard input");
  app.add_flag("--bce", in.bce, "The year counts years before the Common Era");
  app.add_option("--time", in.time, "HH:MM[:SS[.s]]");
  app.add_option("--time-type", in.timeType, "Time scale of --time")->check(CLI::IsMember(timeTypeNames()));
  auto* am = app.add_flag("--am", in.am, "12-hour clock, before noon (a night hour of Seasonal time)");
  app.add_flag("--pm", in.pm, "12-hour clock, after noon (a day hour of Seasonal time)")->excludes(am);
  app.add_flag("--second-occurrence", in.secondOccurrence, "The second time this clock time occurs that day");
  app.add_option("--location", in.location,
                 "A town (\"London\", \"Springfield, Illinois, USA\") or Country/City/Neighbourhood of the location "
                 "database");
  app.add_option("--lat", in.lat, "Latitude, degrees north");
  app.add_option("--lon", in.lon, "Longitude, degrees east");
  app.add_option("--height", in.height, "Height above sea level, metres");
  app.add_option("--tz", in.tz, "Standard zone of a typed position, hours ahead of UT");
  app.add_flag("--dst", in.dst, "Daylight saving is in force at the typed position");
  app.add_option("--weather", in.weather, "Global, Local, Manual:TM,TD,TA,PM,PD,PA,HM,HD,HA or Fixed:T,P,H");
  app.add_option("--language", in.language, "English or Hebrew")->check(CLI::IsMember({"English", "Hebrew"}));
  app.add_option("--precision", in.precision, "0, 1 or 2")->check(CLI::Range(0, 2));
  app.add_option("--speed", in.speed, "Integration steps of the probability: 16, 32, 64 (default) or 128")
      ->check(CLI::IsMember({16, 32, 64, 128}));
  app.add_option("--observer", in.observer, "overall (the average observer) or a personal performance level");
  app.add_option("--model", in.model,
                 "The photometric probability's model: contrast (the default) or classic (the first model)")
      ->check(CLI::IsMember({"contrast", "classic"}));
  app.add_option("--aid", in.aid,
                 "The observer's optical aid: eye, binoculars[:7x50] or telescope:APERTURE_MM,MAGNIFICATION");
  app.add_option("--mode", in.mode, "Moon calculation mode of the visibility tables: photometric or criterion")
      ->check(CLI::IsMember({"photometric", "criterion"}));
  app.add_option("--criterion", in.criterion,
                 "Criterion in force: Photometric, DALT-Width, Maimonides, Ilyas, Yallop, SAAO, Karaite, Odeh, or "
                 "User:DARKNESS,POINT,BRIGHTNESS,FROM,WHEN,VALUE (the criterion dialog's names or numbers)");
}

namespace {

// "Global", "Local", "Manual:" with nine numbers or "Fixed:" with three.
bool weatherSyntaxOk(const std::string& text) {
  auto colon = text.find(':');
  const std::string basis = text.substr(0, colon);
  size_t numbers = 0;
  if (colon != std::string::npos) {
    const std::string rest = text.substr(colon + 1);
    size_t from = 0;
    while (true) {
      size_t comma = rest.find(',', from);
      if (!parseNumber(rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from))) return false;
      ++numbers;
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  return ((basis == "Global" || basis == "Local") && colon == std::string::npos) ||
         (basis == "Manual" && numbers == 9) || (basis == "Fixed" && numbers == 3);
}

}  // namespace

std::string usageProblem(const CLI::App& app, const Inputs& in) {
  auto given = [&](const char* name) { return app.get_option(name)->count() > 0; };
  const bool typedPlace = in.lat || in.lon || in.height || in.tz || in.dst;
  if (given("--location") && trimmedName(in.location).empty())
    return "--location needs a place: a town (\"London\", \"Cape Town\", \"Springfield, Illinois, USA\") or "
           "Country/City/Neighbourhood (nemora-cli places --search TEXT finds them).";
  if (given("--location") && typedPlace)
    return "--location names a place and --lat, --lon, --height, --tz and --dst type one: give one or the other.";
  const std::pair<const char*, const std::optional<double>*> numbers[] = {
      {"--lat", &in.lat}, {"--lon", &in.lon}, {"--height", &in.height}, {"--tz", &in.tz}};
  for (const auto& [name, value] : numbers)
    if (*value && !std::isfinite(**value)) return std::string(name) + " must be a finite number.";
  if (in.tz && std::fabs(*in.tz) > 14)
    return "--tz must be between -14 and 14 (hours ahead of UT): " + generalNumber(*in.tz) + ".";
  if (!in.weather.empty() && !weatherSyntaxOk(in.weather))
    return "--weather must be Global, Local, Manual: with nine numbers (TM,TD,TA,PM,PD,PA,HM,HD,HA) or Fixed: with "
           "three (T,P,H): " + in.weather + ".";
  if (!in.criterion.empty() && !canonicalCriterion(in.criterion).starts_with("User:") &&
      indexOf(criterionTypeNames(), canonicalCriterion(in.criterion)) < 0)
    return "Unknown criterion: " + in.criterion + criterionList();
  // The start-up date is Gregorian.
  const std::string dateType = in.dateType.empty() ? "Gregorian" : in.dateType;
  if (indexOf(dateTypeNames(), dateType) < dtGregorian) {
    if (in.bce) return "--bce applies to calendar dates only, not to --date-type " + dateType + ".";
    if (!in.time.empty() || !in.timeType.empty() || in.am || in.pm || in.secondOccurrence)
      return "--time, --time-type, --am, --pm and --second-occurrence apply to calendar dates only, not to "
             "--date-type " + dateType + ".";
  }
  if (in.bce && in.date.empty()) return "--bce needs --date.";
  return {};
}

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string canonicalCriterion(const std::string& text) {
  const std::string user = "User:";
  if (text.size() >= user.size() && sameLetters(text.substr(0, user.size()), user))
    return user + text.substr(user.size());
  const auto& names = criterionTypeNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (static_cast<int>(i) != kCritUser && sameLetters(names[i], text)) return names[i];
  return text;
}

std::string criterionList() {
  std::string list = ". The criteria are";
  const char* separator = ": ";
  const auto& names = criterionTypeNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) == kCritUser) continue;
    list += separator + names[i];
    separator = ", ";
  }
  return list + " and User:DARKNESS,POINT,BRIGHTNESS,FROM,WHEN,VALUE (letter case does not matter).";
}

namespace {

// "overall", or a level checked as the observer dialog checks it.
bool applyObserver(Session& session, const std::string& text) {
  if (text.empty()) return true;
  ObserverEntry entry(session);
  entry.controls.optOverall = text == "overall";
  if (!entry.controls.optOverall) entry.controls.txtLevel = text;
  if (!entry.cmdOK()) usage("");
  bool ok = true;
  WriteObserver(session, ok);
  return ok;
}

// The observer's optical aid.
bool applyAid(Session& session, const std::string& text) {
  if (text.empty()) return true;
  std::optional<udtOpticalAid> aid = ParseAid(text);
  if (!aid)
    usage("--aid must be eye, binoculars[:MAGNIFICATIONxAPERTURE_MM] or telescope:APERTURE_MM,MAGNIFICATION "
          "(aperture 5 to 2000 mm, magnification 1 to 1000): " + text);
  session.udtObserver.aid = *aid;
  return true;
}

// A criterion's name, or a user criterion, checked as the criterion dialog
// checks its choices.
bool applyCriterion(Session& session, const std::string& text) {
  if (text.empty()) return true;
  CriterionEntry entry(session);
  std::string problem;
  if (!entry.ReadCriterionName(canonicalCriterion(text), problem)) usage(problem + criterionList());
  if (!entry.cmdOK()) usage("");
  return true;
}

}  // namespace

bool applyInputs(Session& session, const Inputs& inputs) {
  if (!inputs.language.empty()) session.intLanguage = inputs.language == "Hebrew" ? 1 : 0;
  if (inputs.precision) session.options.intPrecision = static_cast<int16_t>(*inputs.precision);
  if (inputs.speed) session.options.intNIntegrals = static_cast<int16_t>(*inputs.speed);
  if (!inputs.mode.empty())
    session.options.intMoonCalc = inputs.mode == "criterion" ? kMoonCalcByCriterion : kMoonCalcPhotometric;
  if (!applyObserver(session, inputs.observer)) return false;
  if (!applyAid(session, inputs.aid)) return false;
  if (!inputs.model.empty()) session.options.blnClassicModel = inputs.model == "classic";
  if (!applyCriterion(session, inputs.criterion)) return false;
  return applyPlace(session, inputs) && applyWeather(session, inputs.weather) && applyDate(session, inputs) &&
         applyTime(session, inputs);
}

}  // namespace nemora::cli
