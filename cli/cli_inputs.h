// The command line's inputs: options that every command takes, and their
// effect on the session's input date, time, location and settings.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nemora {
class Session;
}

namespace nemora::cli {

struct Inputs {
  std::string dateType;  // empty: keep the start-up date
  std::string date;      // YEAR-MONTH-DAY, a day number, or "-" for standard input
  bool bce = false;
  std::string time;      // HH:MM[:SS[.s]]
  std::string timeType;
  bool am = false;
  bool pm = false;
  bool secondOccurrence = false;
  std::string location;  // Country/City/Neighbourhood
  std::optional<double> lat, lon, height, tz;
  bool dst = false;
  std::string weather;  // Global, Local, Manual:TM,TD,TA,PM,PD,PA,HM,HD,HA or Fixed:T,P,H
  std::string language;
  std::optional<int> precision;
  std::optional<int> speed;  // integration steps of the probability: 16, 32, 64 or 128
  std::string observer;      // "overall" or a personal performance level
  std::string aid;           // eye, binoculars[:MxD] or telescope:D,M (D aperture in mm, M magnification)
  std::string model;         // the photometric model: "contrast" (default) or "classic"
  std::string mode;          // Moon calculation mode: "photometric" or "criterion"
  std::string criterion;     // a criterion's name, or User:DARKNESS,POINT,BRIGHTNESS,FROM,WHEN,VALUE
};

void addInputOptions(CLI::App& app, Inputs& inputs);

// Exit status of a run whose command line cannot be used (nothing computed).
inline constexpr int kUsageStatus = 2;

// An input that cannot be used, found while it is put into the session (a
// date that does not exist, an unknown place): the run ends with the usage
// status and this text, or in a batch the line fails.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What is wrong with the input options as typed, before anything is
// computed (an empty location, a place both named and typed, a number that
// is not a number, an option that the date type ignores), or the empty
// text. app is the parsed application that added the options.
std::string usageProblem(const CLI::App& app, const Inputs& inputs);

// Checks the input date as typed (not a batch's): a date that does not
// exist throws UsageError in words ("2024-02-30: February 2024 has 29 days").
// The session is left as it was.
void checkDate(Session& session, const Inputs& inputs);

// True when the inputs name or type the place: the last-location files are
// then not read.
bool placeGiven(const Inputs& inputs);

// The calm note of a run that names no place and finds no Curloc.txt: which
// place is used and how to choose one.
std::string defaultPlaceNotice(const Session& session);

// Puts the named or typed place into the session; throws UsageError when it
// is not valid. Names match without regard to case and surrounding blanks;
// an unknown name gets the nearest names as suggestions.
bool applyPlace(Session& session, const Inputs& inputs);

// Puts the inputs into the session; throws UsageError when one cannot be
// used (a date that does not exist, an unknown place), false (after a
// message on standard error) when the session refuses one.
bool applyInputs(Session& session, const Inputs& inputs);

// Runs one evaluation for the input date, or with --date "-" one for each
// line of standard input; one prints its result and returns false when it
// failed (its message shown). In a batch a line may end in CR LF and may
// carry blanks around the date; a blank line or a failed one gives an empty
// output line and a message on standard error naming its line number, and
// the run ends with status 1 after the other lines; the status is 0 when
// every evaluation succeeded.
int runForEachDate(const Inputs& inputs, const std::function<bool(const Inputs&)>& one);

// A criterion's name in the system's own spelling when it matches one
// without regard to letter case ("yallop" is Yallop; "user:" is "User:").
std::string canonicalCriterion(const std::string& text);
// ". The criteria are: Photometric, ... and User:..." for a message.
std::string criterionList();

// Position of a name in a list, or -1.
int indexOf(const std::vector<std::string>& names, const std::string& name);

// A label's text for a terminal: CR LF line ends become LF.
std::string plainText(const std::string& text);

}  // namespace nemora::cli
