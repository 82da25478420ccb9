#include "diag/error_reporter.h"

#include <cstdio>
#include <memory>
#include <string>

#include "diag/hresult_error.h"

namespace korvane {
namespace {

struct BstrFree {
  void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

struct CoTaskFree {
  void operator()(OLECHAR* text) const { CoTaskMemFree(text); }
};
using UniqueCoTaskString = std::unique_ptr<OLECHAR, CoTaskFree>;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using UniqueCom = std::unique_ptr<T, ComRelease>;

constexpr OLECHAR kHelpFile[] = OLESTR("Korvane.chm");
constexpr OLECHAR kUnknownError[] = OLESTR("Unknown Error");
constexpr OLECHAR kLineBreak[] = OLESTR("\r\n");
constexpr char kInternalErrorFormat[] =
    "Internal Error: Unable to retrieve and format error message from message table.\n"
    "Resource ID = %d\nLanguage ID = %d\nReason = '%s'";
constexpr std::size_t kInternalErrorBufferSize = 500;

const OLECHAR* OrEmpty(const OLECHAR* text) {
  return text != nullptr ? text : OLESTR("");
}

bool IsWhiteSpace(OLECHAR c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Removes white space from the end, then from the start.
void Trim(OleString& text) {
  std::size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
  text.erase(end);
  std::size_t start = 0;
  while (start < text.size() && IsWhiteSpace(text[start])) ++start;
  text.erase(0, start);
}

// `value` printed with a printf format, as wide text. A null format prints nothing.
template <class T>
OleString FormatNumber(const char* format, T value) {
  if (format == nullptr) return {};
  const int needed = std::snprintf(nullptr, 0, format, value);
  if (needed <= 0) return {};
  std::string text(static_cast<std::size_t>(needed), '\0');
  std::snprintf(text.data(), text.size() + 1, format, value);
  return AnsiToOle(text);
}

const OLECHAR* BoolText(bool value) {
  return value ? OLESTR("True") : OLESTR("False");
}

// The ProgID registered for `clsid`, or null when there is none.
UniqueCoTaskString RegisteredProgId(const CLSID& clsid) {
  LPOLESTR progId = nullptr;
  if (FAILED(ProgIDFromCLSID(clsid, &progId))) return nullptr;
  return UniqueCoTaskString(progId);
}

// What one report records as the thread's error information.
struct ErrorRecord {
  GUID interfaceId;
  const OLECHAR* description;
  DWORD helpContext;  // 0: no help file
  const OLECHAR* helpFile;
};

// Attaches `record` as the calling thread's error information; when the error
// object cannot be made the thread's error information stays as it was. The
// setters take non-const text on Windows but only read it.
void SetThreadErrorInfo(const CLSID& driverClass, const ErrorRecord& record) {
  ICreateErrorInfo* rawCreate = nullptr;
  if (FAILED(CreateErrorInfo(&rawCreate)) || rawCreate == nullptr) return;
  UniqueCom<ICreateErrorInfo> create(rawCreate);

  create->SetGUID(record.interfaceId);
  if (UniqueCoTaskString progId = RegisteredProgId(driverClass)) create->SetSource(progId.get());
  if (record.helpContext != 0) {
    create->SetHelpContext(record.helpContext);
    create->SetHelpFile(const_cast<OLECHAR*>(record.helpFile));
  }
  create->SetDescription(const_cast<OLECHAR*>(record.description));

  IErrorInfo* rawInfo = nullptr;
  if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&rawInfo)))) return;
  UniqueCom<IErrorInfo> info(rawInfo);
  SetErrorInfo(0, info.get());
}

// Takes the thread's pending error information and gives back its description
// (empty when there is none or it cannot be read).
OleString TakePendingErrorDescription() {
  IErrorInfo* rawInfo = nullptr;
  if (GetErrorInfo(0, &rawInfo) != S_OK || rawInfo == nullptr) return {};
  UniqueCom<IErrorInfo> info(rawInfo);
  BSTR rawDescription = nullptr;
  if (FAILED(info->GetDescription(&rawDescription))) return {};
  UniqueBstr description(rawDescription);
  return OleString(BstrView(description.get()));
}

}  // namespace

// ---- CErrorReporter -------------------------------------------------------

HRESULT CErrorReporter::ReportErrorV(MessageId id, InsertList inserts) {
  return ReportErrorWithInfoV(id, nullptr, inserts);
}

HRESULT CErrorReporter::ReportErrorWithInfoV(MessageId id, const OLECHAR* additionalInformation,
                                             InsertList inserts) {
  OleString text;
  const HRESULT formatted = FormatErrorMessage(id, inserts, text);
  if (FAILED(formatted)) return formatted;
  if (additionalInformation != nullptr && *additionalInformation != 0) {
    text += kLineBreak;
    text += additionalInformation;
  }
  return ReportFormattedError(id, text.c_str());
}

HRESULT CErrorReporter::FormatErrorMessage(MessageId id, InsertList inserts, OleString& text) {
  OleString formatted;
  const MessageFormatResult result = FormatMessageEntry(id, inserts, formatted);
  if (result == MessageFormatResult::kOk) {
    Trim(formatted);
    text = std::move(formatted);
    return S_OK;
  }
  char buffer[kInternalErrorBufferSize];
  std::snprintf(buffer, sizeof buffer, kInternalErrorFormat, static_cast<int>(id), 0,
                DescribeFormatFailure(result));
  ReportCustomError(DISP_E_EXCEPTION, AnsiToOle(buffer).c_str());
  return DISP_E_EXCEPTION;
}

// ---- CKorvaneErrorReporter: the generic operations -----------------------

HRESULT CKorvaneErrorReporter::ReportCustomError(HRESULT status, const OLECHAR* description) {
  SetThreadErrorInfo(driverClass_, {GUID_NULL, OrEmpty(description), 0, nullptr});
  return status != S_OK ? status : DISP_E_EXCEPTION;
}

HRESULT CKorvaneErrorReporter::ReportFormattedError(MessageId id, const OLECHAR* text) {
  UniqueBstr helpFile(SysAllocString(kHelpFile));
  if (!helpFile) throw HResultError(E_OUTOFMEMORY);
  const MessageStatus mapped = MapMessageId(id);
  const GUID interfaceId = contexts_.GetCallContext().interfaceId;
  SetThreadErrorInfo(driverClass_, {interfaceId, text != nullptr ? text : kUnknownError,
                                    mapped.helpContext, helpFile.get()});
  return mapped.status != S_OK ? mapped.status : DISP_E_EXCEPTION;
}

HRESULT CKorvaneErrorReporter::Report(MessageId id, AdditionalInfo info,
                                      std::initializer_list<const OLECHAR*> inserts) {
  return ReportErrorWithInfoV(id, info.text(), inserts);
}

const OLECHAR* CKorvaneErrorReporter::CurrentMethod() const {
  return contexts_.GetCallContext().wideMemberName.c_str();
}

HRESULT CKorvaneErrorReporter::ReportIo(MessageId id, const OLECHAR* detail) {
  const OleString pending = TakePendingErrorDescription();
  return Report(id, AdditionalInfo(pending), {detail});
}

// ---- CKorvaneErrorReporter: one operation per error kind -----------------

HRESULT CKorvaneErrorReporter::ReportIoError(const OLECHAR* detail, AdditionalInfo) {
  return ReportIo(kMsgIoGeneral, detail);
}
HRESULT CKorvaneErrorReporter::ReportIoTimeout(const OLECHAR* detail, AdditionalInfo) {
  return ReportIo(kMsgIoTimeout, detail);
}
HRESULT CKorvaneErrorReporter::ReportModelNotSupported(const OLECHAR* feature,
                                                       AdditionalInfo info) {
  return Report(kMsgModelNotSupported, info, {feature});
}
HRESULT CKorvaneErrorReporter::ReportPersonalityNotActive(AdditionalInfo info) {
  return Report(kMsgPersonalityNotActive, info);
}
HRESULT CKorvaneErrorReporter::ReportPersonalityNotInstalled(AdditionalInfo info) {
  return Report(kMsgPersonalityNotInstalled, info);
}
HRESULT CKorvaneErrorReporter::ReportFunctionNotSupported(const OLECHAR* method,
                                                          AdditionalInfo info) {
  return Report(kMsgFunctionNotSupported, info, {method});
}
HRESULT CKorvaneErrorReporter::ReportFunctionNotSupported(AdditionalInfo info) {
  return ReportFunctionNotSupported(CurrentMethod(), info);
}
HRESULT CKorvaneErrorReporter::ReportAttributeNotSupported(const OLECHAR* property,
                                                           AdditionalInfo info) {
  return Report(kMsgAttributeNotSupported, info, {property});
}
HRESULT CKorvaneErrorReporter::ReportAttributeNotSupported(AdditionalInfo info) {
  return ReportAttributeNotSupported(CurrentMethod(), info);
}

HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  bool value, AdditionalInfo info) {
  return ReportInvalidValue(method, parameter, BoolText(value), info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  int32_t value, const char* format,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(method, parameter, FormatNumber(format, value), info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  double value, const char* format,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(method, parameter, FormatNumber(format, value), info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  const OLECHAR* value, AdditionalInfo info) {
  return Report(kMsgInvalidValue, info, {value, method, parameter});
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  OleStringView value, AdditionalInfo info) {
  return ReportInvalidValue(method, parameter, OleString(value), info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                                  const OleString& value, AdditionalInfo info) {
  return ReportInvalidValue(method, parameter, value.c_str(), info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, bool value,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, int32_t value,
                                                  const char* format, AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, format, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, double value,
                                                  const char* format, AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, format, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, const OLECHAR* value,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, OleStringView value,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidValue(const OLECHAR* parameter, const OleString& value,
                                                  AdditionalInfo info) {
  return ReportInvalidValue(CurrentMethod(), parameter, value, info);
}

HRESULT CKorvaneErrorReporter::ReportAlreadyInitialized(AdditionalInfo info) {
  return Report(kMsgAlreadyInitialized, info);
}
HRESULT CKorvaneErrorReporter::ReportBadOptionName(const OLECHAR* name, AdditionalInfo info) {
  return Report(kMsgBadOptionName, info, {name});
}
HRESULT CKorvaneErrorReporter::ReportBadOptionValue(const OLECHAR* value, AdditionalInfo info) {
  return Report(kMsgBadOptionValue, info, {value});
}
HRESULT CKorvaneErrorReporter::ReportBadlyFormedSelector(AdditionalInfo info) {
  return Report(kMsgBadlyFormedSelector, info);
}
HRESULT CKorvaneErrorReporter::ReportCannotChangeSimulationState(AdditionalInfo info) {
  return Report(kMsgCannotChangeSimulationState, info);
}
HRESULT CKorvaneErrorReporter::ReportCannotOpenFile(AdditionalInfo info) {
  return Report(kMsgCannotOpenFile, info);
}
HRESULT CKorvaneErrorReporter::ReportCannotRecover(AdditionalInfo info) {
  return Report(kMsgCannotRecover, info);
}
HRESULT CKorvaneErrorReporter::ReportChannelNameRequired(AdditionalInfo info) {
  return Report(kMsgChannelNameRequired, info);
}
HRESULT CKorvaneErrorReporter::ReportFileNotFound(AdditionalInfo info) {
  return Report(kMsgFileNotFound, info);
}
HRESULT CKorvaneErrorReporter::ReportIdQueryFailed(AdditionalInfo info) {
  return Report(kMsgIdQueryFailed, info);
}
HRESULT CKorvaneErrorReporter::ReportInstrumentStatus(AdditionalInfo info) {
  return Report(kMsgInstrumentStatus, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidFileFormat(AdditionalInfo info) {
  return Report(kMsgInvalidFileFormat, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidNumberOfLevelsInSelector(const OLECHAR* repCapName,
                                                                     AdditionalInfo info) {
  return Report(kMsgInvalidNumberOfLevelsInSelector, info, {repCapName});
}
HRESULT CKorvaneErrorReporter::ReportInvalidPathname(AdditionalInfo info) {
  return Report(kMsgInvalidPathname, info);
}
HRESULT CKorvaneErrorReporter::ReportInvalidRangeInSelector(const OLECHAR* range,
                                                            const OLECHAR* repCapName,
                                                            AdditionalInfo info) {
  return Report(kMsgInvalidRangeInSelector, info, {range, repCapName});
}
HRESULT CKorvaneErrorReporter::ReportMissingOptionName(AdditionalInfo info) {
  return Report(kMsgMissingOptionName, info);
}
HRESULT CKorvaneErrorReporter::ReportMissingOptionValue(AdditionalInfo info) {
  return Report(kMsgMissingOptionValue, info);
}
HRESULT CKorvaneErrorReporter::ReportNotInitialized(AdditionalInfo info) {
  return Report(kMsgNotInitialized, info);
}
HRESULT CKorvaneErrorReporter::ReportNullPointer(const OLECHAR* parameter, AdditionalInfo info) {
  return ReportNullPointer(CurrentMethod(), parameter, info);
}
HRESULT CKorvaneErrorReporter::ReportNullPointer(const OLECHAR* method, const OLECHAR* parameter,
                                                 AdditionalInfo info) {
  return Report(kMsgNullPointer, info, {method, parameter});
}
HRESULT CKorvaneErrorReporter::ReportOperationPending(AdditionalInfo info) {
  return Report(kMsgOperationPending, info);
}
HRESULT CKorvaneErrorReporter::ReportOutOfMemory(AdditionalInfo info) {
  return Report(kMsgOutOfMemory, info);
}
HRESULT CKorvaneErrorReporter::ReportReadingFile(AdditionalInfo info) {
  return Report(kMsgReadingFile, info);
}
HRESULT CKorvaneErrorReporter::ReportResetFailed(AdditionalInfo info) {
  return Report(kMsgResetFailed, info);
}
HRESULT CKorvaneErrorReporter::ReportResourceUnknown(AdditionalInfo info) {
  return Report(kMsgResourceUnknown, info);
}
HRESULT CKorvaneErrorReporter::ReportStatusNotAvailable(AdditionalInfo info) {
  return Report(kMsgStatusNotAvailable, info);
}
HRESULT CKorvaneErrorReporter::ReportTooManyOpenFiles(AdditionalInfo info) {
  return Report(kMsgTooManyOpenFiles, info);
}
HRESULT CKorvaneErrorReporter::ReportUnexpectedResponse(AdditionalInfo info) {
  return Report(kMsgUnexpectedResponse, info);
}
HRESULT CKorvaneErrorReporter::ReportUnknownChannelName(AdditionalInfo info) {
  return Report(kMsgUnknownChannelName, info);
}
HRESULT CKorvaneErrorReporter::ReportUnknownNameInSelector(AdditionalInfo info) {
  return Report(kMsgUnknownNameInSelector, info);
}
HRESULT CKorvaneErrorReporter::ReportUnknownPhysicalIdentifier(AdditionalInfo info) {
  return Report(kMsgUnknownPhysicalIdentifier, info);
}
HRESULT CKorvaneErrorReporter::ReportValueNotSupported(const OLECHAR* value,
                                                       const OLECHAR* parameter,
                                                       AdditionalInfo info) {
  return ReportValueNotSupported(value, parameter, CurrentMethod(), info);
}
HRESULT CKorvaneErrorReporter::ReportValueNotSupported(const OLECHAR* value,
                                                       const OLECHAR* parameter,
                                                       const OLECHAR* method, AdditionalInfo info) {
  return Report(kMsgValueNotSupported, info, {value, parameter, method});
}
HRESULT CKorvaneErrorReporter::ReportWritingFile(AdditionalInfo info) {
  return Report(kMsgWritingFile, info);
}
HRESULT CKorvaneErrorReporter::WarnErrorQueryNotSupported(AdditionalInfo info) {
  return Report(kMsgNsupErrorQuery, info);
}
HRESULT CKorvaneErrorReporter::WarnIdQueryNotSupported(AdditionalInfo info) {
  return Report(kMsgNsupIdQuery, info);
}
HRESULT CKorvaneErrorReporter::WarnResetNotSupported(AdditionalInfo info) {
  return Report(kMsgNsupReset, info);
}
HRESULT CKorvaneErrorReporter::WarnRevisionQueryNotSupported(AdditionalInfo info) {
  return Report(kMsgNsupRevQuery, info);
}
HRESULT CKorvaneErrorReporter::WarnSelfTestNotSupported(AdditionalInfo info) {
  return Report(kMsgNsupSelfTest, info);
}

// ---- CKorvaneErrorReporter: the chassis status reports -------------------

HRESULT CKorvaneErrorReporter::ReportChassisVisaError(const OLECHAR* description,
                                                      const OLECHAR* statusText,
                                                      const OLECHAR* method, AdditionalInfo info) {
  return Report(kMsgVisaApi, info, {description, statusText, method});
}
HRESULT CKorvaneErrorReporter::ReportChassisError(const OLECHAR* description,
                                                  const OLECHAR* statusText, const OLECHAR* method,
                                                  AdditionalInfo info) {
  return Report(kMsgChassisApi, info, {description, statusText, method});
}
HRESULT CKorvaneErrorReporter::ReportChassisUnexpectedStatus(const OLECHAR* statusText,
                                                             const OLECHAR* method,
                                                             AdditionalInfo info) {
  return Report(kMsgUnexpected, info, {statusText, method});
}
HRESULT CKorvaneErrorReporter::ReportInternalSoftwareError(const OLECHAR* method,
                                                           AdditionalInfo info) {
  return Report(kMsgInternalSw, info, {method});
}

}  // namespace korvane
