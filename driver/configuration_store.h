#pragma once
// The IVI configuration store as the driver reads it: the Configuration
// Server's COM interfaces turned into the driver's texts, booleans and tables.
//
// Every read returns the status of the first server call that failed,
// unchanged; the server's own error information stays with the thread, so the
// caller can return the status as it is. Only opening the store and looking a
// session or module up by name treat a failure as "there is none".

#include <cstdint>
#include <optional>
#include <vector>

#include "driver/name_value_table.h"
#include "driver/operation_flags.h"
#include "platform/com_ptr.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "standins/ivi_config/ivi_config_server.h"

namespace korvane {

// Opens the machine's configuration store: creates the server's store class
// in any server context, runs it, and reads it from its process-default
// location or, when that is empty, its master location. Null when any of
// this fails: then there is no configuration store, and the thread is left
// without error information. When a store file is there but cannot be read
// or is malformed, *failure (if given) receives the store's own description
// of the fault (the file, the line, the reason).
ComPtr<IIviConfigStore> OpenConfigStore(OleString* failure = nullptr);

// The driver session that `name` names (a logical name or a session name),
// or null when there is none or the lookup fails.
ComPtr<IIviDriverSession> FindDriverSession(IIviConfigStore& store, OleStringView name);

// The software module named `name`, or null when there is none or the lookup
// fails.
ComPtr<IIviSoftwareModule> FindSoftwareModule(IIviConfigStore& store, OleStringView name);

// The software module the session names; null (and success) when it names none.
HRESULT ReadSoftwareModule(IIviDriverSession& session, ComPtr<IIviSoftwareModule>& module);

// The IO resource descriptor of the session's hardware asset; empty when the
// session names no hardware asset.
HRESULT ReadIoResourceDescriptor(IIviDriverSession& session, OleString& descriptor);

// The session's six operation flags (Cache, InterchangeCheck,
// QueryInstrStatus, RangeCheck, RecordCoercions, Simulate), each written as
// soon as it is read.
HRESULT ReadOperationFlags(IIviDriverSession& session, OperationFlags& flags);

HRESULT ReadDriverSetup(IIviDriverSession& session, OleString& driverSetup);

// A virtual name of a session. Each range stands for the numbered names
// name<min> .. name<max>, which map to mapTo<startingPhysicalIndex> onwards.
struct StoreVirtualRange {
  int32_t min = 0;
  int32_t max = 0;
  int32_t startingPhysicalIndex = 0;
};
struct StoreVirtualName {
  OleString name;
  OleString mapTo;
  std::vector<StoreVirtualRange> ranges;
};
HRESULT ReadVirtualNames(IIviDriverSession& session, std::vector<StoreVirtualName>& names);

// The data components of the structure "Configurable Initial Settings" among
// the components of a session or a software module. Null (and success) when
// the lookup succeeds without an item; a failing lookup returns its status.
HRESULT ReadConfigurableInitialSettings(IIviDriverSession& session,
                                        ComPtr<IIviDataComponentCollection>& settings);
HRESULT ReadConfigurableInitialSettings(IIviSoftwareModule& module,
                                        ComPtr<IIviDataComponentCollection>& settings);

// One data component: its name as stored, and its value when its type
// (compared ignoring letter case) is "Boolean", "Integer", "Real" or "String";
// components of any other type ("Structure", "APIReference", ...) have none.
struct StoreSetting {
  OleString name;
  std::optional<InitialSettingValue> value;
};
HRESULT ReadSettings(IIviDataComponentCollection& components, std::vector<StoreSetting>& settings);

// Adds the module's name table (name -> text) to `table`; a name already in
// the table takes the module's text.
HRESULT ReadNameTable(IIviSoftwareModule& module, NameValueTable& table);

}  // namespace korvane
