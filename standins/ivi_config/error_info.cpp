#include "standins/ivi_config/error_info.h"

#include <new>
#include <string>

#include "platform/com_ptr.h"
#include "standins/ivi_config/com_text.h"

namespace korvane::ivi_config {

HRESULT ReportFailure(HRESULT code, REFIID iid, std::initializer_list<std::string_view> parts) {
  ComPtr<ICreateErrorInfo> creator;
  if (FAILED(CreateErrorInfo(creator.GetAddressOf()))) return code;
  try {
    std::string description;
    for (const auto part : parts) description += part;
    OleString text = Utf8ToOle(description);
    OleString source = OLESTR("IviConfigServer");
    creator->SetGUID(iid);
    creator->SetSource(source.data());
    creator->SetDescription(text.data());
  } catch (const std::bad_alloc&) {
    return code;
  }
  ComPtr<IErrorInfo> errorInfo;
  if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, errorInfo.GetVoidAddressOf())))
    SetErrorInfo(0, errorInfo.Get());
  return code;
}

}  // namespace korvane::ivi_config
