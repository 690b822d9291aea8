#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/main_module.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;
using testing::TempDir;

TEST(ReadItem, SeparatorsQuotesAndComments) {
  RecordedSession s;
  auto reader = ValueReader::fromText(
      "# a comment\n"
      "  first ,second\r\n"
      "\"quoted, with comma\",\n"
      "\"# a quoted comment, with a comma\"\n"
      "\n"
      "last");
  Main& m = s.session.main;
  EXPECT_EQ(m.ReadItem(reader, "#", false), "first");
  EXPECT_EQ(m.ReadItem(reader, "#", false), "second");
  EXPECT_EQ(m.ReadItem(reader, "#", false), "quoted, with comma");
  EXPECT_EQ(m.ReadItem(reader, "#", false), "last");
  EXPECT_EQ(m.ReadItem(reader, "#", false), "");
  EXPECT_TRUE(reader.atEnd());
}

TEST(ReadItem, LinesOfItemsAcrossLineEndsAndAByteOrderMark) {
  // Lines end in LF, CR LF or CR; a quoted item may span lines; a leading
  // byte-order mark is no part of the first item.
  RecordedSession s;
  auto reader = ValueReader::fromText("\xEF\xBB\xBF" "a,b\r\n# note\rc\n\"d\ne\",f\n\n");
  std::vector<std::pair<std::string, int>> seen;
  reader.onComment = [&](const std::string& item, int line) { seen.emplace_back(item, line); };
  for (int i = 0; i < 6; ++i) {
    std::string item = s.session.main.ReadItem(reader, "#", false);
    seen.emplace_back(item, reader.line());
  }
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{
                      {"a", 1}, {"b", 1}, {"# note", 2}, {"c", 3}, {"d\ne", 4}, {"f", 5}, {"", 6}}));
}

TEST(ReadItem, AnUnquotedCommentIsSkippedItemByItem) {
  RecordedSession s;
  auto reader = ValueReader::fromText("~ heading, 12\n13\n");
  EXPECT_EQ(s.session.main.ReadItem(reader, "~", false), "12");
  EXPECT_EQ(s.session.main.ReadItem(reader, "~", false), "13");
}

TEST(GetValue, TypesAndBounds) {
  RecordedSession s;
  Main& m = s.session.main;
  auto longs = ValueReader::fromText("12.5, 0, abc, 12, 13, -1, 1e1");
  std::vector<std::optional<std::string>> got;
  for (int i = 0; i < 7; ++i) got.push_back(m.GetValue(longs, "#", "Long", 1, 12, true, true));
  EXPECT_EQ(got[0], std::nullopt);  // not whole
  EXPECT_EQ(got[1], std::nullopt);  // below the minimum
  EXPECT_EQ(got[2], std::nullopt);  // not numeric
  EXPECT_EQ(got[3], "12");
  EXPECT_EQ(got[4], std::nullopt);  // above the maximum
  EXPECT_EQ(got[5], std::nullopt);
  EXPECT_EQ(got[6], "1e1");

  auto doubles = ValueReader::fromText("0, 0.001, 5, 5, -0.5");
  EXPECT_EQ(m.GetValue(doubles, "#", "Double", 0, 5, false, true), std::nullopt);  // minimum not allowed
  EXPECT_EQ(m.GetValue(doubles, "#", "Double", 0, 5, false, true), "0.001");
  EXPECT_EQ(m.GetValue(doubles, "#", "Double", 0, 5, false, true), "5");
  EXPECT_EQ(m.GetValue(doubles, "#", "Double", 0, 5, false, false), std::nullopt);  // maximum not allowed
  EXPECT_EQ(m.GetValue(doubles, "#", "Double", -1, 5, true, true), "-0.5");

  auto others = ValueReader::fromText("#TRUE#, #FALSE#, yes, \"Tel Aviv\", , 3");
  EXPECT_EQ(m.GetValue(others, "", "Boolean", 0, 0, true, true), "True");
  EXPECT_EQ(m.GetValue(others, "", "Boolean", 0, 0, true, true), "False");
  EXPECT_EQ(m.GetValue(others, "", "Boolean", 0, 0, true, true), std::nullopt);
  EXPECT_EQ(m.GetValue(others, "", "String", 0, 0, true, true), "Tel Aviv");
  EXPECT_TRUE(s.sink.messages.empty());
  EXPECT_EQ(m.GetValue(others, "", "Integer", 0, 9, true, true), std::nullopt);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Invalid or unsupported type in GetValue"});
}

TEST(GetValue, ReadsAFileWithCommentsAndReportsTheEnd) {
  RecordedSession s;
  TempDir dir;
  auto path = dir.write("Table.txt", "# Values of a table one per line\n\"# source: a test, with a comma\"\n1.5\n2.25\n\n-3\n");
  auto file = ValueReader::open(path);
  ASSERT_TRUE(file.good());
  std::vector<std::string> values;
  while (auto v = s.session.main.GetValue(file, "#", "Double", -10, 10, true, true)) values.push_back(*v);
  EXPECT_EQ(values, (std::vector<std::string>{"1.5", "2.25", "-3"}));
  auto missing = ValueReader::open(dir.path() / "None.txt");
  EXPECT_FALSE(missing.good());
  EXPECT_EQ(s.session.main.GetValue(missing, "#", "String", 0, 0, true, true), "");
}

TEST(LocalDecimal, ReplacesAllButATrailingPoint) {
  RecordedSession s;
  s.session.strDecimal = ",";
  EXPECT_EQ(s.session.main.LocalDecimal("1.5.2."), "1,5,2.");
  s.session.strDecimal = ".";
  EXPECT_EQ(s.session.main.LocalDecimal("1.5"), "1.5");
}

// Numbers are the double a full conversion gives, bit for bit, whichever way
// they are read: generated plain decimals (short and long, with and without
// signs, points and exponents) and malformed items.
TEST(ParseNumber, EqualsAFullConversionBitForBit) {
  std::mt19937_64 random(20261209);
  auto full = [](std::string_view item) -> std::optional<double> {
    if (!item.empty() && item.front() == '+') item.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size()) return std::nullopt;
    return v;
  };
  const char* odd[] = {"-", ".", "-.", "5.", ".5", "-0", "+7", "--5", "1.2.3", "1e5", "1E-3", "0x10", "1,5", "", "12a"};
  std::vector<std::string> items(std::begin(odd), std::end(odd));
  for (int i = 0; i < 20000; ++i) {
    std::string item = random() % 4 == 0 ? "-" : "";
    const int whole = static_cast<int>(random() % 19), decimals = static_cast<int>(random() % 26);
    for (int d = 0; d < whole; ++d) item += static_cast<char>('0' + random() % 10);
    if (random() % 5 != 0) item += '.';
    for (int d = 0; d < decimals; ++d) item += static_cast<char>('0' + random() % 10);
    items.push_back(item);
  }
  for (const std::string& item : items) {
    auto ours = parseNumber(item), theirs = full(item);
    ASSERT_EQ(ours.has_value(), theirs.has_value()) << item;
    if (ours) {
      EXPECT_EQ(std::bit_cast<uint64_t>(*ours), std::bit_cast<uint64_t>(*theirs)) << item;
    }
  }
}

}  // namespace
}  // namespace nemora
