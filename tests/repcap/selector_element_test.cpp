// The hand-written element scanner against the element regular expression:
// for every short text over an alphabet of the grammar's characters and their
// neighbours, and for many longer texts built from the grammar's pieces (fixed
// seed), both accept the same texts in the same form with the same parts.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "repcap/selector_element.h"
#include "repcap/selector_pattern.h"

namespace korvane {
namespace {

// Characters of each class at its edges, the characters next to those edges
// ('@' '[' '`' '{' '/' ':'), the separators and bytes outside ASCII.
constexpr char kAlphabetChars[] = "aZz_!09 \t-@[`{/:,]\n\0\x80\xff";
constexpr std::string_view kAlphabet(kAlphabetChars, sizeof kAlphabetChars - 1);

struct Tally {
  int ranges = 0, names = 0, refused = 0;
};

void ExpectSameMatch(const std::string& text, Tally& tally) {
  const std::optional<SelectorElement> oracle = MatchSelectorPattern(text);
  ASSERT_EQ(ScanSelectorElement(text), oracle) << '"' << text << '"';
  (!oracle ? tally.refused : oracle->is_range ? tally.ranges : tally.names)++;
}

TEST(SelectorElementTest, ShortTextsMatchAsThePatternDoes) {
  std::vector<std::string> texts{""};
  for (std::size_t begin = 0, length = 1; length <= 3; ++length) {
    const std::size_t end = texts.size();
    for (std::size_t i = begin; i < end; ++i) {
      for (char c : kAlphabet) texts.push_back(texts[i] + c);
    }
    begin = end;
  }
  Tally tally;
  for (std::size_t i = 0; i < texts.size() && !HasFatalFailure(); ++i)
    ExpectSameMatch(texts[i], tally);
  EXPECT_GT(tally.names, 0);
  EXPECT_GT(tally.refused, 0);
}

// A well-formed range or name, then up to two random edits (insert, erase or
// replace one character of the alphabet), so that both forms and their near
// misses come up often.
class GrammarTexts {
 public:
  std::string Next() {
    std::string text =
        Number(0, 1) ? Range() : Run(" \t", 0, 2) + Run("aZ_!09", 1, 3) + Run(" \t", 0, 2);
    for (int edits = Number(0, 2); edits > 0; --edits) Edit(text);
    return text;
  }

 private:
  int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  char Pick(std::string_view chars) { return chars[Number(0, static_cast<int>(chars.size()) - 1)]; }
  std::string Run(std::string_view chars, int least, int most) {
    std::string run;
    for (int n = Number(least, most); n > 0; --n) run += Pick(chars);
    return run;
  }
  std::string Bound() { return Run("aZz_!", 1, 3) + Run("0189", 1, 3); }
  std::string Range() {
    const std::string blanks = " \t";
    return Run(blanks, 0, 2) + Bound() + Run(blanks, 0, 2) + '-' + Run(blanks, 0, 2) + Bound() +
           Run(blanks, 0, 2);
  }
  void Edit(std::string& text) {
    const int at = Number(0, static_cast<int>(text.size()));
    const int kind = text.size() == static_cast<std::size_t>(at) ? 0 : Number(0, 2);
    if (kind == 0) text.insert(text.begin() + at, Pick(kAlphabet));
    if (kind == 1) text.erase(text.begin() + at);
    if (kind == 2) text[at] = Pick(kAlphabet);
  }

  std::mt19937 random_{20261206};
};

TEST(SelectorElementTest, GrammarTextsMatchAsThePatternDoes) {
  GrammarTexts texts;
  Tally tally;
  for (int i = 0; i < 20000 && !HasFatalFailure(); ++i) ExpectSameMatch(texts.Next(), tally);
  // The texts reach both forms and refusals in good numbers.
  EXPECT_GT(tally.ranges, 2000);
  EXPECT_GT(tally.names, 2000);
  EXPECT_GT(tally.refused, 2000);
}

}  // namespace
}  // namespace korvane
