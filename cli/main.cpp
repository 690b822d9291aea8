// nemora-cli: the calculator's inputs and results for scripts, batch work and
// tests. Messages go to standard error; a message that ends the program makes
// the command exit with status 1.
#include <CLI/CLI.hpp>
#include <iostream>

#include "app/errors.h"
#include "app/messages.h"
#include "app/session.h"

int main(int argc, char** argv) {
  CLI::App app{"Nemora 3.1: lunar crescent visibility, calendars and time scales (command line)", "nemora-cli"};
  app.set_version_flag("--version", std::string("nemora-cli ") + NEMORA_CLI_VERSION);
  std::string dataDir;
  app.add_option("--data-dir", dataDir, "Folder of the shipped data files (default: $NEMORA_DATA, else data/)");
  app.require_subcommand(0, 1);
  CLI11_PARSE(app, argc, argv);

  nemora::StderrMessageSink sink;
  try {
    nemora::Session session(sink);
    if (!dataDir.empty()) session.dataDir = dataDir;
    if (app.get_subcommands().empty()) {
      std::cout << app.help();
      return 0;
    }
  } catch (const nemora::ProgramEnd& end) {
    return end.status;
  }
  return 0;
}
