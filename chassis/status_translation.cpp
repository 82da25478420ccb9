// The translation of a non-zero chassis status into exactly one driver error.

#include <cstdio>

#include "driver/korvane.h"
#include "platform/ole_string.h"

namespace korvane {
namespace {

constexpr uint32_t kDescriptionSize = 256;
// Class 0 statuses in this range are ones the chassis should never answer
// to a member that did not test for them itself.
constexpr int32_t kFirstUnexpectedStatus = static_cast<int32_t>(0xBFFA0001u);
constexpr int32_t kLastUnexpectedStatus = static_cast<int32_t>(0xBFFA0009u);

// "0x" and exactly eight lower-case hexadecimal digits.
OleString StatusText(int32_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%8.8x", static_cast<uint32_t>(status));
  return AnsiToOle(text);
}

}  // namespace

HRESULT Korvane::TranslateChassisStatus(int32_t status, const OLECHAR* methodName) {
  if (IsSimulating() || status == 0) return S_OK;
  Korvane_Fundamental_Api* chassis = OpenChassis();
  if (chassis == nullptr) return Reporter().ReportNotInitialized();

  const OleString statusText = StatusText(status);
  char buffer[kDescriptionSize] = {};
  const Korvane_Fundamental_StatusCodeType statusClass =
      chassis->getStatusDesc(status, buffer, kDescriptionSize);
  OleString description = AnsiToOle(buffer);
  if (description.size() >= kDescriptionSize) description.resize(kDescriptionSize - 1);

  const OleString method = OleString(OleView(methodName));
  switch (statusClass) {
    case Korvane_Fundamental_StatusTypeChassis:
      if (status >= kFirstUnexpectedStatus && status <= kLastUnexpectedStatus) {
        return Reporter().ReportChassisUnexpectedStatus(statusText.c_str(), method.c_str());
      }
      return Reporter().ReportChassisError(description.c_str(), statusText.c_str(), method.c_str());
    case Korvane_Fundamental_StatusTypeVisa:
      return Reporter().ReportChassisVisaError(description.c_str(), statusText.c_str(),
                                               method.c_str());
    case Korvane_Fundamental_StatusTypeUnexpected:
      return Reporter().ReportUnexpectedResponse(AdditionalInfo(OLESTR("method:") + method));
    default:
      return Reporter().ReportUnexpectedResponse(AdditionalInfo(
          OLESTR("Unknown status code (") + statusText + OLESTR("), method: ") + method));
  }
}

}  // namespace korvane
