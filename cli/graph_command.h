// The graph command: the probability curve, the light curve or the finder
// chart of a body over the evening or morning of the input date, as a
// picture (PNG, SVG or PDF by the file's extension) or as the curves'
// numbers (--csv).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_inputs.h"

namespace nemora {
class Session;
class MainModel;
}  // namespace nemora

namespace nemora::cli {

struct GraphOptions {
  std::string kind;              // probability, light or finder
  std::string plotMode = "full";  // full, sketch or proportional (the finder chart)
  std::string body = "Moon";
  std::string out;               // the picture (or with --csv the table); empty with --csv: standard output
  bool csv = false;
  int width = 1000;              // pixels (PNG) or points (SVG, PDF)
  int height = 700;
};

// Adds the "graph" subcommand and its options to app.
CLI::App* addGraphCommand(CLI::App& app, GraphOptions& options);

// Runs the command; returns the exit status. With --json the result is one
// object: the kind, body, file, size and the message shown instead of a
// curve (empty when there is a curve).
int runGraph(Session& session, MainModel& model, const Inputs& inputs, const GraphOptions& options, bool json);

}  // namespace nemora::cli
