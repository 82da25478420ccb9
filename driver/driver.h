#pragma once
// CDriver: the driver framework's session. It holds the session state and
// runs the IVI session lifecycle (Initialize, Close) as a fixed sequence of
// steps with hooks that the concrete driver fills.

#include <atomic>
#include <functional>
#include <memory>
#include <span>

#include "diag/call_context.h"
#include "diag/error_reporter.h"
#include "diag/member_record.h"
#include "diag/trace_log.h"
#include "driver/driver_info.h"
#include "driver/name_value_table.h"
#include "driver/node.h"
#include "driver/operation_flags.h"
#include "driver/option_string.h"
#include "platform/critical_section.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "repcap/rep_cap_collections.h"
#include "repcap/rep_cap_table.h"

namespace korvane {

// The instrument identity read at Initialize.
struct InstrumentIdentity {
  OleString manufacturer;
  OleString model;
  OleString serialNumber;
  OleString firmwareRevision;
  OleString identification;  // the four joined with commas
};

class CDriver : public CNode, public ICallContextProvider {
 public:
  CDriver(const CLSID& driverClass, DriverInfo info);
  ~CDriver() override;

  // What the entry points need of the called object and its driver.
  CriticalSection& ObjectLock() { return lock_; }
  CDriver* DriverForCall() { return this; }
  // A driver call needs an initialized driver.
  bool IsReadyForCall() const { return IsInitialized(); }
  // A driver is always its own driver; only items can be detached.
  HRESULT ReportDetached(const MemberRecord&) { return E_UNEXPECTED; }
  CKorvaneErrorReporter& Reporter() { return reporter_; }
  CKorvaneErrorReporter& GetErrorReporter() const override { return reporter_; }
  CTraceLog& TraceLog() { return trace_; }
  const CallContext& GetCallContext() const override;
  const CLSID& ClassId() const { return driverClass_; }

  // Session state. The initialized and simulate flags are also read by item
  // calls, which do not hold the driver's lock.
  bool IsInitialized() const { return initialized_.load(std::memory_order_acquire); }
  bool IsSimulating() const;
  void SetSimulating(bool on);
  const OperationFlags& Flags() const { return flags_; }
  const OperationFlags& InitialFlags() const { return initialFlags_; }
  const DriverInfo& Info() const { return info_; }
  const InstrumentIdentity& Identity() const { return identity_; }
  const OleString& OptionString() const { return optionString_; }
  const OleString& LogicalName() const { return logicalName_; }
  const OleString& IoResourceDescriptor() const { return ioResourceDescriptor_; }
  const OleString& DriverSetup() const { return driverSetup_; }
  const NameValueTable& OptionTable() const { return optionTable_; }
  const NameValueTable& DriverSetupTable() const { return driverSetupTable_; }
  const InitialSettingsTable& ConfigurableInitialSettings() const { return initialSettings_; }
  const NameValueTable& ForwardVirtualNames() const { return forwardVirtualNames_; }
  const NameValueTable& ModuleNames() const { return moduleNames_; }

  // The framework's Initialize sequence (the caller resets afterwards when
  // asked to) and Close.
  HRESULT InitializeSession(BSTR resourceName, bool idQuery, BSTR optionString);
  HRESULT Close();
  virtual bool IsModelSupported() const;

  // The driver's last client has let it go (with or without Close): the
  // items are detached as Close detaches them, so that their references on
  // the driver no longer keep it alive. The chassis is left to destruction.
  void ReleaseTree();

  // The items of the repeated capabilities, in table order.
  void ForEachChild(const std::function<void(CNode&)>& visit) override;

 protected:
  // Hooks of the concrete driver.
  virtual HRESULT InitializeIO() = 0;
  virtual HRESULT ReadInstrumentIdentity() = 0;
  virtual void CloseIO() = 0;
  // The kinds of repeated capability the driver holds (none by default).
  virtual std::span<const RepCapEntry> RepCapTable() const { return {}; }
  // Builds the items of every kind of RepCapTable() at Initialize; detaches
  // and releases them at Close.
  virtual HRESULT BuildRepeatedCapabilities();
  virtual void ReleaseRepeatedCapabilities();
  const RepCapCollections& RepCaps() const { return repCaps_; }

  // Configuration: defaults, configuration store, option string.
  HRESULT LoadConfiguration(BSTR resourceName, BSTR optionString);
  OptionTarget Options();

  OperationFlags flags_;
  OperationFlags initialFlags_;
  InstrumentIdentity identity_;
  OleString optionString_;
  OleString logicalName_;
  OleString ioResourceDescriptor_;
  OleString driverSetup_;
  NameValueTable optionTable_;
  NameValueTable driverSetupTable_;
  InitialSettingsTable initialSettings_;
  NameValueTable forwardVirtualNames_;
  NameValueTable reverseVirtualNames_;
  NameValueTable moduleNames_;
  bool idQueryOnInitialize_ = false;

 private:
  friend struct DriverTestAccess;  // lets tests fill the session's name tables

  HRESULT InitializeNodes();
  void MarkInitialized(bool on) { initialized_.store(on, std::memory_order_release); }

  const CLSID driverClass_;
  const DriverInfo info_;
  CriticalSection lock_;
  CTraceLog trace_;
  // Reports change no state of the driver; the reporter is reached through
  // const nodes as well.
  mutable CKorvaneErrorReporter reporter_;
  std::atomic<bool> initialized_{false};
  RepCapCollections repCaps_;
};

}  // namespace korvane
