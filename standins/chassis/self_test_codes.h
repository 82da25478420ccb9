// The virtual chassis's self test: the codes it reports and the text of each code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvane::virtual_chassis {

class SelfTestCodes {
 public:
  // No failure codes, and texts for the codes the chassis knows.
  SelfTestCodes();

  const std::vector<int32_t>& Codes() const { return codes_; }
  // Keeps at most Korvane_Fundamental_MaxSelfTestCodes codes.
  void SetCodes(const int32_t* codes, int32_t count);

  // The status of mapping a code, and its text when that status is 0.
  int32_t Map(int32_t code, std::string* text) const;
  void SetMapping(int32_t code, std::string text, int32_t status);

 private:
  struct Mapping {
    std::string text;
    int32_t status;
  };
  std::vector<int32_t> codes_;
  std::map<int32_t, Mapping> mappings_;
};

}  // namespace korvane::virtual_chassis
