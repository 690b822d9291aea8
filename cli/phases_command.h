// The phases command (the principal phases of the next lunations with the
// molad or nigud of each new and full Moon) and the first-visible command
// (the first evening of each new crescent, or the last morning of each old
// one, under the criterion in force at the input place).
#pragma once

#include <string>

#include "cli/cli_inputs.h"

namespace nemora {
class Session;
class MainModel;
}  // namespace nemora

namespace nemora::cli {

// Returns the exit status. With icsFile not empty the phases (crescents)
// found are also written to that iCalendar file, one event each.
int runPhases(Session& session, MainModel& model, const Inputs& inputs, int count, bool json,
              const std::string& icsFile);
int runFirstVisible(Session& session, MainModel& model, const Inputs& inputs, int count, bool blnOld, bool json,
                    const std::string& icsFile);

}  // namespace nemora::cli
