#pragma once
// The error reporter: formats a message-table entry with its inserts, records
// it as the calling thread's COM error information and gives back the status
// the failing operation returns.
//
// Inserts: the list form takes an InsertList (a span of texts); the "variadic"
// form takes a braced list of texts, for example
//   return reporter.ReportError(kMsgNullPointer, {memberName, OLESTR("val")});
// Every text parameter is a `const OLECHAR*`; null reads as empty text.
//
// Every per-kind operation takes an AdditionalInfo as its last argument,
// empty by default. It is a type of its own so that the short forms (which
// take the method from the call context) can never be confused with the long
// forms by a text landing in the wrong place:
//   reporter.ReportNullPointer(OLESTR("Fans.Alarm.MinRPM"), OLESTR("val"));  // long form
//   reporter.ReportUnexpectedResponse(AdditionalInfo(OLESTR("method:System.Uptime")));

#include <cstdint>
#include <initializer_list>

#include "diag/call_context.h"
#include "diag/message_table.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// A report's additional information: appended after the message, on a line
// of its own, when not empty. Non-owning: the text must outlive the call.
class AdditionalInfo {
 public:
  AdditionalInfo() = default;
  explicit AdditionalInfo(const OLECHAR* text) : text_(text) {}
  explicit AdditionalInfo(const OleString& text) : text_(text.c_str()) {}

  // Never null: empty text when none was given.
  const OLECHAR* text() const { return text_ ? text_ : OLESTR(""); }
  bool empty() const { return text_ == nullptr || *text_ == 0; }

 private:
  const OLECHAR* text_ = nullptr;
};

// The five generic operations. Statuses are returned, never thrown, except
// out of memory (HResultError(E_OUTOFMEMORY) or std::bad_alloc) and a report
// made outside any call (HResultError(E_FAIL) from the call context).
class IErrorReporter {
 public:
  // Records `description` with `status`: interface id all zeros, no help file.
  // Returns `status`, or DISP_E_EXCEPTION when `status` is 0.
  virtual HRESULT ReportCustomError(HRESULT status, const OLECHAR* description) = 0;

  HRESULT ReportError(MessageId id, std::initializer_list<const OLECHAR*> inserts = {}) {
    return ReportErrorV(id, inserts);
  }
  virtual HRESULT ReportErrorV(MessageId id, InsertList inserts) = 0;

  HRESULT ReportErrorWithInfo(MessageId id, const OLECHAR* additionalInformation,
                              std::initializer_list<const OLECHAR*> inserts = {}) {
    return ReportErrorWithInfoV(id, additionalInformation, inserts);
  }
  // As ReportErrorV; a non-empty additional information follows the message
  // after CR LF.
  virtual HRESULT ReportErrorWithInfoV(MessageId id, const OLECHAR* additionalInformation,
                                       InsertList inserts) = 0;

 protected:
  ~IErrorReporter() = default;
};

// The generic operations over the message table, and one abstract operation
// per error kind. Copying is deleted: a copy would slice the concrete reporter.
class CErrorReporter : public IErrorReporter {
 public:
  CErrorReporter() = default;
  CErrorReporter(const CErrorReporter&) = delete;
  CErrorReporter& operator=(const CErrorReporter&) = delete;
  virtual ~CErrorReporter() = default;

  HRESULT ReportErrorV(MessageId id, InsertList inserts) final;
  HRESULT ReportErrorWithInfoV(MessageId id, const OLECHAR* additionalInformation,
                               InsertList inserts) final;

  // Per error kind, in the message table's order. A "short" form takes the
  // method name from the current call context.
  virtual HRESULT ReportIoError(const OLECHAR* detail, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportIoTimeout(const OLECHAR* detail, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportModelNotSupported(const OLECHAR* feature, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportPersonalityNotActive(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportPersonalityNotInstalled(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportFunctionNotSupported(const OLECHAR* method, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportFunctionNotSupported(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportAttributeNotSupported(const OLECHAR* property,
                                              AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportAttributeNotSupported(AdditionalInfo info = {}) = 0;

  // Invalid value: %1 = the value, %2 = the method, %3 = the parameter.
  // Integers are formatted as signed 32-bit with a printf format ("%d"),
  // doubles with a printf format ("%.3f"), booleans as "True"/"False".
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, bool value,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, int32_t value,
                                     const char* format, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, double value,
                                     const char* format, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                     const OLECHAR* value, AdditionalInfo info = {}) = 0;
  // A counted text, copied into a terminated string first.
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                     OleStringView value, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                                     const OleString& value, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, bool value,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, int32_t value, const char* format,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, double value, const char* format,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, const OLECHAR* value,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, OleStringView value,
                                     AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidValue(const OLECHAR* parameter, const OleString& value,
                                     AdditionalInfo info = {}) = 0;
  // An integer or double without its format would otherwise turn silently
  // into the boolean form.
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, int32_t value,
                             AdditionalInfo info = {}) = delete;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, double value,
                             AdditionalInfo info = {}) = delete;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, int32_t value,
                             AdditionalInfo info = {}) = delete;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, double value,
                             AdditionalInfo info = {}) = delete;
  // A `long` (LONG on Windows) would be ambiguous between the int32_t and the
  // double forms; it is the integer form.
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, long value,
                             const char* format, AdditionalInfo info = {}) {
    return ReportInvalidValue(method, parameter, static_cast<int32_t>(value), format, info);
  }
  HRESULT ReportInvalidValue(const OLECHAR* parameter, long value, const char* format,
                             AdditionalInfo info = {}) {
    return ReportInvalidValue(parameter, static_cast<int32_t>(value), format, info);
  }

  virtual HRESULT ReportAlreadyInitialized(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportBadOptionName(const OLECHAR* name, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportBadOptionValue(const OLECHAR* value, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportBadlyFormedSelector(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportCannotChangeSimulationState(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportCannotOpenFile(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportCannotRecover(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportChannelNameRequired(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportFileNotFound(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportIdQueryFailed(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInstrumentStatus(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidFileFormat(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidNumberOfLevelsInSelector(const OLECHAR* repCapName,
                                                        AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidPathname(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportInvalidRangeInSelector(const OLECHAR* range, const OLECHAR* repCapName,
                                               AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportMissingOptionName(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportMissingOptionValue(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportNotInitialized(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportNullPointer(const OLECHAR* parameter, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportNullPointer(const OLECHAR* method, const OLECHAR* parameter,
                                    AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportOperationPending(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportOutOfMemory(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportReadingFile(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportResetFailed(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportResourceUnknown(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportStatusNotAvailable(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportTooManyOpenFiles(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportUnexpectedResponse(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportUnknownChannelName(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportUnknownNameInSelector(AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportUnknownPhysicalIdentifier(AdditionalInfo info = {}) = 0;
  // Value not supported: %1 = value, %2 = parameter, %3 = method.
  virtual HRESULT ReportValueNotSupported(const OLECHAR* value, const OLECHAR* parameter,
                                          AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportValueNotSupported(const OLECHAR* value, const OLECHAR* parameter,
                                          const OLECHAR* method, AdditionalInfo info = {}) = 0;
  virtual HRESULT ReportWritingFile(AdditionalInfo info = {}) = 0;
  // Warnings: the error information is set, the status is a success code.
  virtual HRESULT WarnErrorQueryNotSupported(AdditionalInfo info = {}) = 0;
  virtual HRESULT WarnIdQueryNotSupported(AdditionalInfo info = {}) = 0;
  virtual HRESULT WarnResetNotSupported(AdditionalInfo info = {}) = 0;
  virtual HRESULT WarnRevisionQueryNotSupported(AdditionalInfo info = {}) = 0;
  virtual HRESULT WarnSelfTestNotSupported(AdditionalInfo info = {}) = 0;

  // Formats entry `id` and trims white space at both ends (the resource's line
  // end goes). Returns S_OK; on failure records the internal-error text as the
  // thread's error information, leaves `text` unchanged and returns
  // DISP_E_EXCEPTION.
  HRESULT FormatErrorMessage(MessageId id, InsertList inserts, OleString& text);

  // Records `text` (null: "Unknown Error") as the thread's error information
  // for entry `id` and returns the entry's status (DISP_E_EXCEPTION for 0).
  virtual HRESULT ReportFormattedError(MessageId id, const OLECHAR* text) = 0;
};

// The driver's reporter: its message ids, its error source (the ProgID
// registered for the driver class) and its call contexts.
class CKorvaneErrorReporter final : public CErrorReporter {
 public:
  // `contexts` is the driver, which owns this reporter and outlives it.
  CKorvaneErrorReporter(const CLSID& driverClass, const ICallContextProvider& contexts)
      : driverClass_(driverClass), contexts_(contexts) {}

  HRESULT ReportCustomError(HRESULT status, const OLECHAR* description) override;
  HRESULT ReportFormattedError(MessageId id, const OLECHAR* text) override;

  // The pending error information's description becomes the additional
  // information; `info` is ignored.
  HRESULT ReportIoError(const OLECHAR* detail, AdditionalInfo info = {}) override;
  HRESULT ReportIoTimeout(const OLECHAR* detail, AdditionalInfo info = {}) override;
  HRESULT ReportModelNotSupported(const OLECHAR* feature, AdditionalInfo info = {}) override;
  HRESULT ReportPersonalityNotActive(AdditionalInfo info = {}) override;
  HRESULT ReportPersonalityNotInstalled(AdditionalInfo info = {}) override;
  HRESULT ReportFunctionNotSupported(const OLECHAR* method, AdditionalInfo info = {}) override;
  HRESULT ReportFunctionNotSupported(AdditionalInfo info = {}) override;
  HRESULT ReportAttributeNotSupported(const OLECHAR* property, AdditionalInfo info = {}) override;
  HRESULT ReportAttributeNotSupported(AdditionalInfo info = {}) override;

  using CErrorReporter::ReportInvalidValue;  // the `long` and the deleted forms
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, bool value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, int32_t value,
                             const char* format, AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, double value,
                             const char* format, AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, const OLECHAR* value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter, OleStringView value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* method, const OLECHAR* parameter,
                             const OleString& value, AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, bool value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, int32_t value, const char* format,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, double value, const char* format,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, const OLECHAR* value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, OleStringView value,
                             AdditionalInfo info = {}) override;
  HRESULT ReportInvalidValue(const OLECHAR* parameter, const OleString& value,
                             AdditionalInfo info = {}) override;

  HRESULT ReportAlreadyInitialized(AdditionalInfo info = {}) override;
  HRESULT ReportBadOptionName(const OLECHAR* name, AdditionalInfo info = {}) override;
  HRESULT ReportBadOptionValue(const OLECHAR* value, AdditionalInfo info = {}) override;
  HRESULT ReportBadlyFormedSelector(AdditionalInfo info = {}) override;
  HRESULT ReportCannotChangeSimulationState(AdditionalInfo info = {}) override;
  HRESULT ReportCannotOpenFile(AdditionalInfo info = {}) override;
  HRESULT ReportCannotRecover(AdditionalInfo info = {}) override;
  HRESULT ReportChannelNameRequired(AdditionalInfo info = {}) override;
  HRESULT ReportFileNotFound(AdditionalInfo info = {}) override;
  HRESULT ReportIdQueryFailed(AdditionalInfo info = {}) override;
  HRESULT ReportInstrumentStatus(AdditionalInfo info = {}) override;
  HRESULT ReportInvalidFileFormat(AdditionalInfo info = {}) override;
  HRESULT ReportInvalidNumberOfLevelsInSelector(const OLECHAR* repCapName,
                                                AdditionalInfo info = {}) override;
  HRESULT ReportInvalidPathname(AdditionalInfo info = {}) override;
  HRESULT ReportInvalidRangeInSelector(const OLECHAR* range, const OLECHAR* repCapName,
                                       AdditionalInfo info = {}) override;
  HRESULT ReportMissingOptionName(AdditionalInfo info = {}) override;
  HRESULT ReportMissingOptionValue(AdditionalInfo info = {}) override;
  HRESULT ReportNotInitialized(AdditionalInfo info = {}) override;
  HRESULT ReportNullPointer(const OLECHAR* parameter, AdditionalInfo info = {}) override;
  HRESULT ReportNullPointer(const OLECHAR* method, const OLECHAR* parameter,
                            AdditionalInfo info = {}) override;
  HRESULT ReportOperationPending(AdditionalInfo info = {}) override;
  HRESULT ReportOutOfMemory(AdditionalInfo info = {}) override;
  HRESULT ReportReadingFile(AdditionalInfo info = {}) override;
  HRESULT ReportResetFailed(AdditionalInfo info = {}) override;
  HRESULT ReportResourceUnknown(AdditionalInfo info = {}) override;
  HRESULT ReportStatusNotAvailable(AdditionalInfo info = {}) override;
  HRESULT ReportTooManyOpenFiles(AdditionalInfo info = {}) override;
  HRESULT ReportUnexpectedResponse(AdditionalInfo info = {}) override;
  HRESULT ReportUnknownChannelName(AdditionalInfo info = {}) override;
  HRESULT ReportUnknownNameInSelector(AdditionalInfo info = {}) override;
  HRESULT ReportUnknownPhysicalIdentifier(AdditionalInfo info = {}) override;
  HRESULT ReportValueNotSupported(const OLECHAR* value, const OLECHAR* parameter,
                                  AdditionalInfo info = {}) override;
  HRESULT ReportValueNotSupported(const OLECHAR* value, const OLECHAR* parameter,
                                  const OLECHAR* method, AdditionalInfo info = {}) override;
  HRESULT ReportWritingFile(AdditionalInfo info = {}) override;
  HRESULT WarnErrorQueryNotSupported(AdditionalInfo info = {}) override;
  HRESULT WarnIdQueryNotSupported(AdditionalInfo info = {}) override;
  HRESULT WarnResetNotSupported(AdditionalInfo info = {}) override;
  HRESULT WarnRevisionQueryNotSupported(AdditionalInfo info = {}) override;
  HRESULT WarnSelfTestNotSupported(AdditionalInfo info = {}) override;

  // The chassis status reports. %1 = the chassis's description, %2 = the
  // status as "0x%8.8x", %3 = the member's method name.
  HRESULT ReportChassisVisaError(const OLECHAR* description, const OLECHAR* statusText,
                                 const OLECHAR* method, AdditionalInfo info = {});
  HRESULT ReportChassisError(const OLECHAR* description, const OLECHAR* statusText,
                             const OLECHAR* method, AdditionalInfo info = {});
  // %1 = the status text, %2 = the method name.
  HRESULT ReportChassisUnexpectedStatus(const OLECHAR* statusText, const OLECHAR* method,
                                        AdditionalInfo info = {});
  HRESULT ReportInternalSoftwareError(const OLECHAR* method, AdditionalInfo info = {});

 private:
  HRESULT Report(MessageId id, AdditionalInfo info,
                 std::initializer_list<const OLECHAR*> inserts = {});
  const OLECHAR* CurrentMethod() const;
  HRESULT ReportIo(MessageId id, const OLECHAR* detail);

  CLSID driverClass_;
  const ICallContextProvider& contexts_;
};

}  // namespace korvane
