#include "standins/ivi_config/error_info.h"

#include <new>
#include <string>

#include "standins/ivi_config/com_ref.h"
#include "standins/ivi_config/com_text.h"

namespace korvane::ivi_config {

HRESULT ReportFailure(HRESULT code, REFIID iid, std::initializer_list<std::string_view> parts) {
  ComRef<ICreateErrorInfo> creator;
  if (FAILED(CreateErrorInfo(creator.Put()))) return code;
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
  ComRef<IErrorInfo> errorInfo;
  if (SUCCEEDED(creator.As(errorInfo))) SetErrorInfo(0, errorInfo.get());
  return code;
}

}  // namespace korvane::ivi_config
