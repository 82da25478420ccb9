// Selector parsing: the paths a selector expands to, in order, and the fault
// that refuses it.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "repcap/selector.h"

namespace korvane {
namespace {

// The paths as one text, each path's levels joined by ':' and ended by ';'.
std::string Joined(const SelectorParse& parse) {
  std::string text;
  for (const SelectorPath& path : parse.paths) {
    for (std::size_t i = 0; i < path.size(); ++i) text += (i ? ":" : "") + path[i];
    text += ';';
  }
  return text;
}

std::string Range(const char* prefix, std::size_t first, std::size_t last) {
  return prefix + std::to_string(first) + '-' + prefix + std::to_string(last);
}

struct PathsCase {
  std::string text, paths;
  friend void PrintTo(const PathsCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class SelectorPathsTest : public testing::TestWithParam<PathsCase> {};

TEST_P(SelectorPathsTest, ExpandsInOrder) {
  const SelectorParse parse = ParseSelector(GetParam().text, true);
  ASSERT_FALSE(parse.fault) << static_cast<int>(*parse.fault);
  EXPECT_EQ(Joined(parse), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, SelectorPathsTest,
    testing::Values(
        PathsCase{"", ";"}, PathsCase{"FAN1", "FAN1;"}, PathsCase{"FAN1-FAN3", "FAN1;FAN2;FAN3;"},
        PathsCase{"FAN2-FAN2", "FAN2;"}, PathsCase{"FAN09-FAN010", "FAN9;FAN10;"},
        PathsCase{"fan1-FAN2", "fan1;fan2;"}, PathsCase{"FAN1-F2", "FAN1;FAN2;"},
        PathsCase{" \tFAN1 \t- \tFAN2\t ", "FAN1;FAN2;"}, PathsCase{"FAN1,FAN3", "FAN1;FAN3;"},
        PathsCase{" [ FAN1 , FAN3 ] ", "FAN1;FAN3;"}, PathsCase{",FAN1,,FAN3,", "FAN1;FAN3;"},
        PathsCase{"FAN1,fan1", "FAN1;fan1;"}, PathsCase{"[A,B]:C", "A:C;B:C;"},
        PathsCase{"[A,AB]:[BC,C]", "A:BC;A:C;AB:BC;AB:C;"},
        PathsCase{"[A,B]:[C1-C2]", "A:C1;A:C2;B:C1;B:C2;"}, PathsCase{"A:B,C:D", "A:B;C:D;"},
        PathsCase{":A::B:", "A:B;"}, PathsCase{"FAN1:X", "FAN1:X;"}));

// The most paths: a range of that many names, or levels whose combinations
// make that many, is accepted; one more is refused.
TEST(SelectorLimitTest, AcceptsTheMostPathsAndNoMore) {
  const std::string half = Range("X", 1, kMaxSelectorPaths / 2);
  EXPECT_EQ(ParseSelector(Range("X", 1, kMaxSelectorPaths), true).paths.size(), kMaxSelectorPaths);
  EXPECT_EQ(ParseSelector("[" + half + "]:[A,B]", true).paths.size(), kMaxSelectorPaths);
  EXPECT_EQ(ParseSelector(Range("X", 1, kMaxSelectorPaths + 1), true).fault,
            SelectorFault::kInvalidRange);
  EXPECT_EQ(ParseSelector("[" + half + "]:[A,B,C]", true).fault, SelectorFault::kBadlyFormed);
  EXPECT_EQ(ParseSelector(half + "," + Range("Y", 0, kMaxSelectorPaths / 2), true).fault,
            SelectorFault::kBadlyFormed);
  // A level refuses the name beyond the most at once, before later faults.
  EXPECT_EQ(ParseSelector("[" + Range("X", 1, kMaxSelectorPaths) + ",Y1-Y1,Z2-Z1]", true).fault,
            SelectorFault::kBadlyFormed);
}

// The most names (paths times levels) are accepted and one more level is
// refused before anything is expanded: a selector of the most paths over tens
// of thousands of levels (205 KB) is refused as badly formed, where expanding
// it would take gigabytes.
TEST(SelectorLimitTest, BoundsPathsTimesLevelsBeforeExpanding) {
  constexpr std::size_t kLevels = kMaxSelectorNames / kMaxSelectorPaths;
  std::string levels;
  for (std::size_t i = 1; i < kLevels; ++i) levels += ":L";
  const std::string most = "[" + Range("X", 1, kMaxSelectorPaths) + "]" + levels;
  const SelectorParse parse = ParseSelector(most, true);
  ASSERT_FALSE(parse.fault);
  EXPECT_EQ(parse.paths.size() * parse.paths.front().size(), kMaxSelectorNames);
  EXPECT_EQ(ParseSelector(most + ":L", true).fault, SelectorFault::kBadlyFormed);

  std::string names;
  for (std::size_t i = 0; i < kMaxSelectorPaths; ++i) names += (i ? ",N" : "N") + std::to_string(i);
  std::string hostile = "[" + names + "]";
  while (hostile.size() < 205 * 1024) hostile += ":L";
  EXPECT_EQ(ParseSelector(hostile, false).fault, SelectorFault::kBadlyFormed);
}

struct FaultCase {
  std::string text;
  bool ranges_allowed;
  SelectorFault fault;
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class SelectorFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(SelectorFaultTest, RefusesWithItsFault) {
  EXPECT_EQ(ParseSelector(GetParam().text, GetParam().ranges_allowed).fault, GetParam().fault);
}

constexpr SelectorFault kBad = SelectorFault::kBadlyFormed;
constexpr SelectorFault kRange = SelectorFault::kInvalidRange;
constexpr SelectorFault kLevels = SelectorFault::kInconsistentLevels;

INSTANTIATE_TEST_SUITE_P(
    Selectors, SelectorFaultTest,
    testing::Values(FaultCase{"FAN1-FAN3", false, kBad}, FaultCase{"FAN3-FAN1", true, kRange},
                    FaultCase{"FAN1-TS3", true, kRange}, FaultCase{"FAN1-FANS3", true, kRange},
                    FaultCase{"FAN1-FAN2147483648", true, kRange},
                    FaultCase{"FAN1,FAN1", false, kBad}, FaultCase{"[A,B]:C,A:C", false, kBad},
                    FaultCase{"FAN 1", false, kBad}, FaultCase{"[FAN1", false, kBad},
                    FaultCase{"[", false, kBad}, FaultCase{"A:B,C", false, kLevels},
                    FaultCase{"A:B,C,D D", false, kLevels},
                    FaultCase{"FAN3-FAN1,FAN 1", true, kRange}, FaultCase{":", false, kBad},
                    FaultCase{",", false, kBad}, FaultCase{" ", false, kBad},
                    FaultCase{"A:[]", false, kBad}));

}  // namespace
}  // namespace korvane
