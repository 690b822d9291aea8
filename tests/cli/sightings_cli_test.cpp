// The sightings command on every bundled file of recorded sightings: each
// file is read whole and scored, and its JSON summary carries the ranking,
// the intervals and the reliability of every group.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/cli/cli_runner.h"

namespace nemora {
namespace {

using Json = nlohmann::json;

TEST(CliSightings, EveryBundledFileIsReadWholeAndScored) {
  struct File {
    const char* name;
    size_t rows;  // data rows of the file
    bool averageObserver;
    const char* model;
  } files[] = {
      {"yallop.csv", 368, true, "contrast"},
      {"alrefay.csv", 668, true, "classic"},
      {"schaefer_odeh.csv", 331, false, "contrast"},
      {"icouk.csv", 803, true, "contrast"},
  };
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    std::string arguments = std::string("--json --model ") + f.model + " " +
                            (f.averageObserver ? "" : "--observer 0.5 ") +
                            "sightings --no-delta-t-test " + NEMORA_SOURCE_DATA_DIR + "/sightings/" + f.name;
    testing::CliRun run = testing::runCli(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<Json> objects;
    std::stringstream in(run.out);
    for (std::string line; std::getline(in, line);) objects.push_back(Json::parse(line));
    ASSERT_EQ(objects.size(), f.rows + 1);
    const Json& s = objects.back()["summary"];
    EXPECT_TRUE(s["skipped"].empty()) << s["skipped"];
    EXPECT_EQ(s["average_observer"], f.averageObserver);
    EXPECT_EQ(s["model"], f.model);
    const Json& eye = s["scores"][0];
    EXPECT_EQ(eye["group"], "Naked eye");
    EXPECT_GT(eye["evenings"].get<int>(), 10);
    int banded = 0;
    for (const Json& b : eye["reliability"]) banded += b["records"].get<int>();
    EXPECT_EQ(banded, eye["records"].get<int>());
    for (const Json& row : eye["rows"]) {
      SCOPED_TRACE(row["name"].get<std::string>());
      // Every file holds naked-eye sightings and non-sightings, so every
      // score has an area, inside its interval, and better than chance.
      double area = row["roc_area"].get<double>();
      EXPECT_LE(row["roc_area_low"].get<double>(), area);
      EXPECT_GE(row["roc_area_high"].get<double>(), area);
      EXPECT_GT(area, 0.6);
      if (row["name"] == "Photometric model") {
        EXPECT_LE(row["brier_low"].get<double>(), row["brier"].get<double>());
        EXPECT_FALSE(row.contains("p_minus_roc_area"));
      } else {
        EXPECT_TRUE(row["p_minus_roc_area_low"].is_number());
      }
    }
  }
}

}  // namespace
}  // namespace nemora
