#include "visibility/criterion_entry.h"

#include <cmath>
#include <optional>
#include <vector>

#include "base/main_module.h"
#include "base/text.h"
#include "base/session.h"

namespace nemora {
namespace {

// Position of a name in a list, or of a whole number written as text;
// nothing when it is neither (a number beyond the list is returned as is,
// for the caller to refuse with its own message).
std::optional<int16_t> choice(const std::vector<std::string>& names, const std::string& text) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == text) return static_cast<int16_t>(i);
  std::optional<double> n = parseNumber(text);
  if (n && std::floor(*n) == *n && std::fabs(*n) < 32768) return static_cast<int16_t>(*n);
  return std::nullopt;
}

}  // namespace

CriterionEntry::CriterionEntry(Session& session) : SessionBound(session) {
  const udtCriterion& c = session.udtUserCriterion;
  controls.cboType = c.intType;
  controls.cboDarkness = c.intDarkness;
  controls.cboMoonPart = c.intMeasTo;
  controls.cboMoonBright = c.intBrightness;
  // The list offers the three frames a user may choose; the refracted
  // topocentric frame belongs to the DALT-Width preset alone.
  controls.cboFrom = c.intMeasFrom <= 2 ? c.intMeasFrom : 1;
  controls.cboWhen = c.intWhen;
  // The text box keeps its start-up "20" until a user criterion has its own
  // moment.
  if (c.intType == kCritUser) controls.txtWhen = generalNumber(c.dblWhen);
}

bool CriterionEntry::cboMoonPartEnabled() const { return controls.cboType == kCritUser && controls.cboDarkness == 2; }

bool CriterionEntry::cboWhenEnabled() const { return controls.cboType == kCritUser; }

std::string CriterionEntry::Evaluate() {
  const CriterionControls& c = controls;
  std::string messages;
  auto add = [&](std::string_view text) {
    if (!messages.empty()) messages += kLineBreak;
    messages += text;
  };
  std::optional<double> when = parseNumber(c.txtWhen);
  if (c.cboType == kCritUser) {
    if (c.cboFrom == 2 && c.cboMoonBright != 3 && c.cboMoonBright != 4)
      add("Yallop and Apparent are only compatible with crescent width and % illumination");
    // The sky brightness has a combination with the magnitude alone; any
    // other pair could never be evaluated.
    if (c.cboDarkness == 3 && c.cboMoonBright != 6) add("Sky brightness is only compatible with magnitude");
    if (!when) {
      add("When must be a number");
    } else if (c.cboWhen == 0 && !(*when >= 0 && *when <= 10)) {
      add("Choose when the Sun is between 0 and 10° below the horizon");
    } else if (c.cboWhen == 1 && !(*when >= 0 && *when <= 60)) {
      add("Choose when within 60 minutes from sunset/rise");
    } else if ((c.cboWhen == 2 || c.cboWhen == 3) && !(*when >= 0 && *when <= 1)) {
      add("Choose when between 0 and 1, during the lag");
    }
  }
  if (!messages.empty()) return messages;
  udtCriterion& u = session().udtUserCriterion;
  u.intType = c.cboType;
  u.intDarkness = c.cboDarkness;
  u.intMeasTo = c.cboMoonPart;
  u.intBrightness = c.cboMoonBright;
  u.intMeasFrom = c.cboFrom;
  if (when) u.dblWhen = *when;
  u.intWhen = c.cboWhen;
  return {};
}

bool CriterionEntry::cmdOK() {
  Session& s = session();
  // Every list holds its own names only; a number beyond one (from the
  // command line) is refused before anything is stored.
  const std::pair<int16_t, int16_t> ranges[] = {{controls.cboType, kCritLastType},
                                                {controls.cboDarkness, 3},
                                                {controls.cboMoonPart, 2},
                                                {controls.cboMoonBright, 6},
                                                {controls.cboFrom, 2},
                                                {controls.cboWhen, 3}};
  static const char* const kFields[] = {"intType", "intDarkness", "intMeasTo", "intBrightness", "intMeasFrom",
                                        "intWhen"};
  for (size_t i = 0; i < std::size(ranges); ++i) {
    if (ranges[i].first < 0 || ranges[i].first > ranges[i].second) {
      s.showMessage(std::string("udtCriterion.") + kFields[i] + " not valid: " + generalNumber(ranges[i].first));
      return false;
    }
  }
  std::string messages = Evaluate();
  if (!messages.empty()) {
    s.showMessage(messages);
    return false;
  }
  return true;
}

bool CriterionEntry::ReadCriterionName(const std::string& strName, std::string& strProblem) {
  const std::string userPrefix = "User:";
  if (strName.rfind(userPrefix, 0) != 0) {
    std::optional<int16_t> type = choice(criterionTypeNames(), strName);
    if (!type || *type == kCritUser) {
      strProblem = "Unknown criterion: " + strName;
      return false;
    }
    controls.cboType = *type;
    return true;
  }
  std::vector<std::string> parts;
  std::string rest = strName.substr(userPrefix.size());
  size_t from = 0;
  while (true) {
    size_t comma = rest.find(',', from);
    parts.push_back(rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  if (parts.size() != 6) {
    strProblem = "A user criterion is User:DARKNESS,POINT,BRIGHTNESS,FROM,WHEN,VALUE";
    return false;
  }
  struct Field {
    const std::vector<std::string>& names;
    int16_t CriterionControls::*control;
    const char* what;
  };
  const Field fields[] = {{darknessNames(), &CriterionControls::cboDarkness, "darkness measure"},
                          {moonPointNames(), &CriterionControls::cboMoonPart, "point of the Moon"},
                          {brightnessNames(), &CriterionControls::cboMoonBright, "brightness measure"},
                          {frameNames(), &CriterionControls::cboFrom, "frame"},
                          {whenNames(), &CriterionControls::cboWhen, "moment"}};
  CriterionControls read = controls;
  for (size_t i = 0; i < std::size(fields); ++i) {
    std::optional<int16_t> n = choice(fields[i].names, parts[i]);
    if (!n) {
      strProblem = std::string("Unknown ") + fields[i].what + ": " + parts[i];
      return false;
    }
    read.*(fields[i].control) = *n;
  }
  read.cboType = kCritUser;
  read.txtWhen = parts[5];
  controls = read;
  return true;
}

}  // namespace nemora
