// Contents of the main window's two option lists.
#pragma once

#include <string>
#include <vector>

namespace nemora {

// "Fixed", "JD", ... "Islamic", indexed by enmDateType.
const std::vector<std::string>& dateTypeNames();
// "UTC", "Local", ... "Seasonal", indexed by enmTimeType.
const std::vector<std::string>& timeTypeNames();
// The seven bodies that precede the catalogue's stars in the body list.
const std::vector<std::string>& fixedBodyNames();
// Parameters of a body: ten for every body, the vernal equinox for the Sun
// (index 0) and the crescent searches and the world visibility map for the
// Moon (index 1).
std::vector<std::string> parameterNames(int bodyIndex);

// A saved parameter above 9 is kept only for the Moon; otherwise it becomes 6
// ("Equatorial coordinates").
int parameterForBody(int bodyIndex, int savedParameter);

// The short ownership notice (caption of its button) and the terms of use.
extern const char* const kOwnershipCaption;
extern const char* const kOwnershipNotice;

}  // namespace nemora
