// What the command line writes and where: JSON whatever the names given,
// Output.txt only when asked and only after a run that succeeded, results
// printed before a failure to keep their copy, outputs checked before the
// work, and maps whose cost or emptiness is known before they are computed.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/cli/cli_runner.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using Json = nlohmann::json;
using testing::CliRun;
using testing::runCliIn;

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::string kEvening = "--location Israel/Jerusalem/Center --date-type Gregorian --date 2024-3-11 ";
const std::string kSmallMap = "--date-type Gregorian --date 2024-3-10 map --lat-range 20:22 --lon-range 30:32 ";
// A name that is not UTF-8 ("caf" and Latin-1 e-acute), as the shell makes it.
const std::string kLatin1 = "\"$(printf 'caf\\351')\"";

TEST(CliJson, NamesThatAreNotUtf8AreWrittenAndPrintedWithTheReplacementCharacter) {
  struct Case {
    std::string arguments, file;
  };
  const Case cases[] = {
      {kSmallMap + "--json --out " + kLatin1 + ".csv", "caf\xe9.csv"},
      {kEvening + "--json graph --kind probability --csv --out " + kLatin1 + ".csv", "caf\xe9.csv"},
      {kEvening + "--json graph --kind probability --out " + kLatin1 + ".svg", "caf\xe9.svg"},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    CliRun run = runCliIn(dir.path(), c.arguments);
    ASSERT_EQ(run.status, 0) << c.arguments << run.err;
    const Json result = Json::parse(run.out);
    EXPECT_EQ(result["out"], "caf\xEF\xBF\xBD" + c.file.substr(4)) << c.arguments;
    EXPECT_TRUE(std::filesystem::exists(dir.path() / c.file)) << c.arguments;
  }
}

TEST(CliOutputTxt, WrittenOnlyWhenAskedAndOnlyBySuccessfulRuns) {
  const std::string sightings = "date,lat,lon,seen\n2024-03-11,31.78,35.22,yes\n";
  struct Case {
    std::string arguments;
    int status;
    bool written;
  };
  const Case cases[] = {
      {kEvening + "graph --kind probability --csv", 0, false},
      {kEvening + "report --body Moon --parameter Probability", 0, false},
      {"sightings s.csv --no-delta-t-test", 0, false},
      {kEvening + "--output-txt report --body Moon --parameter Probability", 0, true},
      {kEvening + "--output-txt graph --kind probability --csv", 0, true},
      {"--output-txt sightings s.csv --no-delta-t-test", 0, true},
      // Runs that fail keep the old file, asked or not.
      {kEvening + "--output-txt graph --kind probability --out /nonexistent/g.png", 1, false},
      {kEvening + "--output-txt graph --kind probability --body Sirius --out g.png", 1, false},
      {kEvening + "--output-txt report --body Vulcan --parameter Probability", 1, false},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    dir.write("s.csv", sightings);
    const auto output = dir.write("Output.txt", "old\n");
    CliRun run = runCliIn(dir.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << run.err;
    const std::string text = readAll(output);
    if (c.written) {
      EXPECT_NE(text, "old\n") << c.arguments;
    } else {
      EXPECT_EQ(text, "old\n") << c.arguments;
    }
    // The graph's own output is there whatever Output.txt does.
    if (c.status == 0 && c.arguments.find("--csv") != std::string::npos) {
      EXPECT_EQ(run.out.rfind("instant,clock,", 0), 0u) << c.arguments;
    }
  }
}

// A run of nemora-cli as the unprivileged user nobody, in a folder.
std::optional<testing::ChildRun> runCliAsNobody(const std::filesystem::path& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder.string() + "' && " + NEMORA_CLI_PATH + " --data-dir " +
                              NEMORA_SOURCE_DATA_DIR + " " + arguments + " < /dev/null";
  return testing::runAsNobody([&] {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
}

TEST(CliOutputTxt, ResultsComeFirstWhenTheirCopyCannotBeWritten) {
  testing::TempDir dir;
  const auto folder = dir.path() / "read-only";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "s.csv") << "date,lat,lon,seen\n2024-03-11,31.78,35.22,yes\n";
  chmod(dir.path().c_str(), 0755);
  chmod(folder.c_str(), 0555);
  struct Case {
    std::string arguments;
    int status;
    std::string lastError;
  };
  const Case cases[] = {
      {"sightings s.csv --no-delta-t-test", 0, ""},
      {"--output-txt sightings s.csv --no-delta-t-test", 1, "Output.txt: Permission denied\n"},
  };
  for (const Case& c : cases) {
    auto run = runCliAsNobody(folder, c.arguments);
    if (!run) GTEST_SKIP() << "needs root to become the user nobody, for whom the folder is read-only";
    EXPECT_EQ(run->status, c.status) << c.arguments << run->err;
    EXPECT_NE(run->out.find("Photometric model"), std::string::npos) << c.arguments;
    if (c.lastError.empty()) {
      EXPECT_EQ(run->err.find("Output.txt"), std::string::npos) << c.arguments;
    } else {
      EXPECT_TRUE(run->err.ends_with(c.lastError)) << c.arguments << run->err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "Output.txt"));
  }
}

TEST(CliOutputs, RefusedBeforeAnythingIsComputed) {
  // Every case here would take hours (or all the memory) if it were
  // computed before being refused; each must end at once.
  struct Case {
    std::string arguments;
    int status;
    std::string error;  // the start of the last line on standard error
  };
  const Case cases[] = {
      {"--date-type Gregorian --date 2024-3-10 map --step 0.01 --out /nonexistent/x.csv", 1,
       "x.csv: No such file or directory"},
      {"--date-type Gregorian --date 2024-3-10 map --step 0.01 --out x.png", 2, "A map of 648000000 cells at 0.01"},
      {"--date-type Gregorian --date 2024-3-10 map --step nan --out x.csv", 2, "--step must be degrees from 0.01 to 90: nan"},
      {"--date-type Gregorian --date 2024-3-10 map --lat-range 0.0:0.5 --out x.csv", 2,
       "The map has no cells: no centre of a 1-degree cell lies within --lat-range 0.0:0.5 and --lon-range "
       "-180:180."},
      {"--date-type Gregorian --date 2024-3-10 map --out x.bmp", 2, "map needs --out FILE.png"},
      {kEvening + "graph --kind probability --out x.bmp", 2, "Unknown picture format \".bmp\""},
      {kEvening + "graph --kind probability --csv --out x.png", 2,
       "graph --csv writes a table, not a picture: --out x.png names a picture."},
      {kEvening + "graph --kind probability --out x.png/y.png", 1, "y.png: Not a directory"},
      {"sightings s.csv --plot /nonexistent/p.png", 1, "p.png: No such file or directory"},
      {"sightings s.csv --plot p.bmp", 2, "Unknown picture format \".bmp\""},
  };
  // The picture of 648 million cells keeps about 31 GB: refused wherever
  // less is available (elsewhere that case is left out).
  double available = 0;
  {
    std::ifstream meminfo("/proc/meminfo");
    std::string key, unit;
    double kilobytes = 0;
    while (meminfo >> key >> kilobytes >> unit)
      if (key == "MemAvailable:") available = kilobytes * 1024;
  }
  for (const Case& c : cases) {
    if (c.error.rfind("A map of", 0) == 0 && !(available > 0 && available * 0.8 < 31e9)) continue;
    testing::TempDir dir;
    dir.write("s.csv", "date,lat,lon,seen\n2024-03-11,31.78,35.22,yes\n");
    dir.write("x.png", "old picture\n");
    CliRun run = runCliIn(dir.path(), c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << run.err;
    const size_t last = run.err.rfind('\n', run.err.size() >= 2 ? run.err.size() - 2 : 0);
    const std::string lastLine = run.err.substr(last == std::string::npos ? 0 : last + 1);
    EXPECT_EQ(lastLine.rfind(c.error, 0), 0u) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_EQ(readAll(dir.path() / "x.png"), "old picture\n") << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.csv")) << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Output.txt")) << c.arguments;
  }
}

TEST(CliMap, TheStreamedCsvIsTheMapOnStandardOutputAndInAFile) {
  testing::TempDir dir;
  CliRun file = runCliIn(dir.path(), kSmallMap + "--json --out m.csv");
  ASSERT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(Json::parse(file.out)["cells"], 4);
  const std::string csv = readAll(dir.path() / "m.csv");
  CliRun streamed = runCliIn(dir.path(), kSmallMap + "--out -");
  ASSERT_EQ(streamed.status, 0) << streamed.err;
  EXPECT_EQ(streamed.out, csv);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
}

}  // namespace
}  // namespace nemora
