#pragma once
// Driver tests with an IVI configuration store: the store class registered
// in this process, and a store file per test, written to a temporary folder
// and named by the store's process-default location.

#include <memory>
#include <string>
#include <string_view>

#include "driver/korvane.h"
#include "driver/operation_flags.h"
#include "tests/driver/driver_fixture.h"
#include "tests/support/environment.h"
#include "tests/support/temp_folder.h"

namespace korvane {
// Readable operation flags in failure messages.
void PrintTo(const OperationFlags& flags, std::ostream* out);
}  // namespace korvane

namespace korvane::testing {

class ConfigStoreTest : public DriverTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `text` as the store file and makes it this process's store.
  void UseStore(std::string_view text);
  // Names a store file that does not exist.
  void UseMissingStore();
  // Withdraws the store class, as on a machine without the Configuration
  // Server.
  void RemoveConfigServer();

  HRESULT InitializeWith(const OLECHAR* resource, const OLECHAR* options = OLESTR("")) {
    return Initialize(resource, false, false, options);
  }
  // The driver object behind the client's interface, whose session state the
  // tests read.
  Korvane& Object();
  ComPtr<IIviDriverOperation> Operation();

 private:
  void SetProcessDefaultLocation(const OleString& file);

  TempFolder folder_;
  std::unique_ptr<ScopedEnvironment> processDefault_;
  DWORD cookie_ = 0;
  bool registered_ = false;
};

// The chassis's ioOpen call as the virtual chassis recorded it, for example
// ioOpen("PXI0::0::INSTR", null); empty when there was none.
std::string IoOpenCall();

}  // namespace korvane::testing
