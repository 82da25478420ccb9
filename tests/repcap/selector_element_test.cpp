// The element scanner against the element regular expression it replaced:
// every text of up to three characters over the grammar's characters and
// their neighbours, then 20000 well-formed ranges and names (fixed seed) with
// up to two random one-character edits. Both must accept the same texts in
// the same form with the same parts.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "repcap/selector_element.h"
#include "repcap/selector_pattern.h"

namespace korvane {
namespace {

constexpr char kChars[] = "aZz_!09 \t-@[`{/:,]\n\0\x80\xff";
constexpr std::string_view kAlphabet(kChars, sizeof kChars - 1);

std::vector<std::string> ShortTexts() {
  std::vector<std::string> texts{""};
  for (std::size_t begin = 0, length = 1; length <= 3; ++length) {
    const std::size_t end = texts.size();
    for (std::size_t i = begin; i < end; ++i) {
      for (char c : kAlphabet) texts.push_back(texts[i] + c);
    }
    begin = end;
  }
  return texts;
}

std::string GrammarText(std::mt19937& engine) {
  const auto random = [&](std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(engine);
  };
  const auto run = [&](std::string_view chars, int least, int most) {
    std::string run;
    for (std::size_t n = random(least, most); n > 0; --n) run += chars[random(0, chars.size() - 1)];
    return run;
  };
  const auto blanks = [&] { return run(" \t", 0, 2); };
  const auto bound = [&] { return run("aZz_!", 1, 3) + run("0189", 1, 3); };
  std::string text = random(0, 1) ? blanks() + bound() + blanks() + '-' + blanks() + bound()
                                  : blanks() + run("aZ_!09", 1, 3);
  text += blanks();
  for (std::size_t edits = random(0, 2); edits > 0; --edits) {
    const std::size_t at = random(0, text.size());
    const char c = kAlphabet[random(0, kAlphabet.size() - 1)];
    const std::size_t edit = at == text.size() ? 0 : random(0, 2);
    if (edit == 0) text.insert(at, 1, c);
    if (edit == 1) text.erase(at, 1);
    if (edit == 2) text[at] = c;
  }
  return text;
}

TEST(SelectorElementTest, ScannerMatchesAsThePatternDoes) {
  std::vector<std::string> texts = ShortTexts();
  std::mt19937 engine(20261206);
  for (int i = 0; i < 20000; ++i) texts.push_back(GrammarText(engine));
  std::size_t refused = 0, ranges = 0, names = 0;
  for (const std::string& text : texts) {
    const std::optional<SelectorElement> oracle = MatchSelectorPattern(text);
    ASSERT_EQ(ScanSelectorElement(text), oracle) << '"' << text << '"';
    ++(!oracle ? refused : oracle->is_range ? ranges : names);
  }
  // The texts reach both forms and refusals in good numbers.
  for (std::size_t count : {refused, ranges, names}) EXPECT_GT(count, 2000u);
}

}  // namespace
}  // namespace korvane
