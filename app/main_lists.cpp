#include "app/main_lists.h"

namespace nemora {

const std::vector<std::string>& dateTypeNames() {
  static const std::vector<std::string> names{"Fixed", "JD", "JDE", "MJD", "Gregorian", "Julian", "Hebrew", "Islamic"};
  return names;
}

const std::vector<std::string>& timeTypeNames() {
  static const std::vector<std::string> names{"UTC", "Local", "Mean Solar", "True Solar", "GMST", "LST", "Seasonal"};
  return names;
}

const std::vector<std::string>& fixedBodyNames() {
  static const std::vector<std::string> names{"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"};
  return names;
}

std::vector<std::string> parameterNames(int bodyIndex) {
  std::vector<std::string> names{"Horizon coordinates", "Magnitude",    "Distance & size",        "Rise",
                                 "Set",                 "Ecliptic coordinates", "Equatorial coordinates",
                                 "Finder chart",        "Probability",  "Light curve"};
  if (bodyIndex == 0) names.push_back("Next vernal equinox");
  if (bodyIndex == 1) {
    for (const char* name : {"Visibility by criterion", "Next new Moon", "Next old Moon", "Next conjunction",
                             "Next full Moon", "Next back-to-back Moon", "Visibility map"})
      names.push_back(name);
  }
  return names;
}

int parameterForBody(int bodyIndex, int savedParameter) {
  if (savedParameter > 9 && bodyIndex != 1) return 6;
  return savedParameter;
}

const char* const kOwnershipCaption = "© 2026 The Nemora developers";
const char* const kOwnershipNotice =
    "Nemora 3.1\n"
    "Copyright © 2026 The Nemora developers. All rights reserved.\n\n"
    "Terms of use: you may use this program and its results freely, for private study, "
    "teaching, research and the keeping of calendars. Its predictions of the visibility of "
    "the lunar crescent are estimates with uncertainty: they never replace an actual "
    "sighting, and the developers accept no liability for decisions taken on them. "
    "The data files name their published sources; their numbers remain the work of those sources.";

}  // namespace nemora
