// The crescent command: the evening (or morning) of the input date at the
// input place under the criterion in force and every named criterion, as the
// Moon's criterion report or as one JSON object.
#pragma once

#include <string>

#include "cli/cli_inputs.h"

namespace nemora {
class Session;
class MainModel;
}  // namespace nemora

namespace nemora::cli {

// Runs the command for the inputs (one date, or one date per line of
// standard input when --date is "-"); returns the exit status.
int runCrescent(Session& session, MainModel& model, const Inputs& inputs, bool blnMorning, bool json);

}  // namespace nemora::cli
