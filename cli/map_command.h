// The map command: the world map (or a part of it) of the crescent's
// visibility on the evening (or morning) of the input date, by the criterion
// in force or, with --mode photometric, by the greatest probability of
// seeing it, computed on every core. Written as a picture (PNG, SVG or PDF)
// or as CSV (one row per cell: lat,lon,value,class) by the file's extension.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_inputs.h"

namespace nemora {
class Session;
class MainModel;
}  // namespace nemora

namespace nemora::cli {

struct MapOptions {
  bool morning = false;
  double step = 1;                    // degrees
  std::string latRange = "-90:90";    // SOUTH:NORTH
  std::string lonRange = "-180:180";  // WEST:EAST
  unsigned threads = 0;               // 0: every core
  std::string out;
  int width = 0, height = 0;          // picture size; 0: chosen for the map
};

// Adds the "map" subcommand and its options to app.
CLI::App* addMapCommand(CLI::App& app, MapOptions& options);

// Runs the command; returns the exit status. Progress goes to standard
// error when it is a terminal. With --json one object describes the map
// written: the file, mode, criterion, day, evening, cell count and the count
// of each class.
int runMap(Session& session, MainModel& model, const Inputs& inputs, const MapOptions& options, bool json);

}  // namespace nemora::cli
