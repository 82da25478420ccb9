// The one-name shortcut of the C face's selectors takes only texts that the parser would turn
// into exactly one path of that one name, ranges allowed or not.
#include <gtest/gtest.h>

#include <string>

#include "ivic/selector_resolution.h"

namespace korvane::ivic {
namespace {

TEST(SelectorFastPath, TakesOnlyWhatParsesToTheTextItself) {
  // Every text of up to three characters over the grammar's characters and their neighbours.
  const std::string alphabet = "aZ09_!@ \t,:-[]";
  std::vector<std::string> texts = {""};
  for (size_t begin = 0, end = 1; texts.back().size() < 3; begin = end, end = texts.size()) {
    for (size_t i = begin; i < end; ++i) {
      for (char c : alphabet) texts.push_back(texts[i] + c);
    }
  }
  texts.push_back("VPLUS_12_0");
  texts.push_back("FAN01!X");
  int taken = 0;
  for (const std::string& text : texts) {
    if (!IsPlainName(text)) continue;
    ++taken;
    for (bool rangesAllowed : {false, true}) {
      const SelectorParse parse = ParseSelector(text, rangesAllowed);
      EXPECT_FALSE(parse.fault) << text;
      EXPECT_EQ(parse.paths, std::vector<SelectorPath>{{text}}) << text;
    }
  }
  EXPECT_EQ(taken, 6 + 36 + 216 + 2);  // the six name characters make up the plain names
}

}  // namespace
}  // namespace korvane::ivic
