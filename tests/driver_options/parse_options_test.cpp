// The option grammar: successive non-overlapping matches of [^,=]+=[^,=]+.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "driver/option_string.h"
#include "tests/support/text.h"

namespace korvane {
namespace {

using testing::Narrow;

struct ParseCase {
  const OLECHAR* text;
  std::vector<std::pair<OleString, OleString>> pairs;
};

class ParseOptionsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseOptionsTest, FindsEachPairTrimmed) {
  NameValueTable table;
  ParseOptions(GetParam().text, table);
  EXPECT_EQ(table, NameValueTable(GetParam().pairs.begin(), GetParam().pairs.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseOptionsTest,
    ::testing::Values(
        ParseCase{OLESTR(""), {}}, ParseCase{OLESTR("Simulate"), {}}, ParseCase{OLESTR(",,,"), {}},
        ParseCase{OLESTR("=true"), {}}, ParseCase{OLESTR("a=b"), {{OLESTR("a"), OLESTR("b")}}},
        ParseCase{OLESTR(" \tSimulate \t= \ttrue \t"), {{OLESTR("Simulate"), OLESTR("true")}}},
        ParseCase{OLESTR("Cache = Off Now"), {{OLESTR("Cache"), OLESTR("Off Now")}}},
        ParseCase{OLESTR("a=1,b=2"), {{OLESTR("a"), OLESTR("1")}, {OLESTR("b"), OLESTR("2")}}},
        ParseCase{OLESTR(",, ,Cache=true,, ,"), {{OLESTR("Cache"), OLESTR("true")}}},
        ParseCase{OLESTR("a=1,a=2"), {{OLESTR("a"), OLESTR("2")}}},
        ParseCase{OLESTR("A=1,a=2"), {{OLESTR("A"), OLESTR("1")}, {OLESTR("a"), OLESTR("2")}}},
        ParseCase{OLESTR("name=value=more"), {{OLESTR("name"), OLESTR("value")}}},
        ParseCase{OLESTR("a=1=b=2"), {{OLESTR("a"), OLESTR("1")}, {OLESTR("b"), OLESTR("2")}}},
        ParseCase{OLESTR("a==1"), {}}, ParseCase{OLESTR("a=,b=2"), {{OLESTR("b"), OLESTR("2")}}},
        ParseCase{OLESTR("lone, a=1"), {{OLESTR("a"), OLESTR("1")}}},
        ParseCase{OLESTR("  =1"), {{OLESTR(""), OLESTR("1")}}},
        ParseCase{OLESTR("a=  "), {{OLESTR("a"), OLESTR("")}}}));

// Every text up to six characters over an alphabet that covers the grammar
// gives the pairs that a regular-expression search finds.
std::string TrimmedNarrow(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::map<std::string, std::string> RegexPairs(const std::string& text) {
  static const std::regex pattern("([^,=]+)=([^,=]+)");
  std::map<std::string, std::string> pairs;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
    pairs[TrimmedNarrow((*it)[1])] = TrimmedNarrow((*it)[2]);
  }
  return pairs;
}

TEST(ParseOptionsExhaustive, MatchesRegularExpressionSearch) {
  const std::string alphabet = "ab =,";
  std::vector<std::string> texts{""};
  for (size_t begin = 0, length = 1; length <= 6; ++length) {
    const size_t end = texts.size();
    for (size_t i = begin; i < end; ++i) {
      for (char c : alphabet) texts.push_back(texts[i] + c);
    }
    begin = end;
  }
  for (const std::string& text : texts) {
    NameValueTable table;
    ParseOptions(OleString(text.begin(), text.end()), table);
    std::map<std::string, std::string> parsed;
    for (const auto& [name, value] : table) parsed[Narrow(name)] = Narrow(value);
    ASSERT_EQ(parsed, RegexPairs(text)) << "text \"" << text << "\"";
  }
}

}  // namespace
}  // namespace korvane
