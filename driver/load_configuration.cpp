// LoadConfiguration: the configuration step of Initialize. Defaults first,
// then what the configuration store says, then the option string, which
// always has the last word.

#include "driver/driver.h"

namespace korvane {

HRESULT CDriver::LoadConfiguration(BSTR resourceName, BSTR optionString) {
  optionString_ = OleString(BstrView(optionString));
  ioResourceDescriptor_.clear();
  logicalName_.clear();
  optionTable_.clear();
  driverSetupTable_.clear();
  forwardVirtualNames_.clear();
  reverseVirtualNames_.clear();
  flags_ = OperationFlags{};

  // Without a configuration store the resource name is the address itself.
  ioResourceDescriptor_ = OleString(BstrView(resourceName));
  HRESULT status = ProcessOptionString(Options(), optionString_);

  if (flags_.simulate && identity_.model.empty()) identity_.model = info_.defaultModel;
  initialFlags_ = flags_;
  return status;
}

}  // namespace korvane
