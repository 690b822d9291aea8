// The sightings command: the analysis of a file of recorded sightings (how
// well each criterion and the photometric model predict them) as the score
// card, or with --json one object per record and a summary object; --plot
// draws the scatter plot of the records with Yallop's and Odeh's limits,
// --reliability-plot the photometric probability against the share seen.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_inputs.h"

namespace nemora {
class Session;
class MainModel;
}  // namespace nemora

namespace nemora::cli {

struct SightingsOptions {
  std::string file;          // the sightings file
  unsigned threads = 0;      // 0: one per core
  std::string plot;          // the scatter plot's picture (PNG, SVG or PDF), or empty
  std::string reliabilityPlot;  // the reliability plot's picture, or empty
  bool noDeltaTTest = false;
  bool progress = false;     // progress on standard error even when it is not a terminal
};

// Adds the "sightings" subcommand and its options to app.
CLI::App* addSightingsCommand(CLI::App& app, SightingsOptions& options);

// Runs the command; returns the exit status (1 when the file cannot be read,
// has no record, or the plot cannot be written). The score card is also
// handed to the session's Output.txt (written when the run asks for it).
int runSightings(Session& session, MainModel& model, const Inputs& inputs, const SightingsOptions& options, bool json);

}  // namespace nemora::cli
