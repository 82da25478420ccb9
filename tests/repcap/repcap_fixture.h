#pragma once
// What the repeated-capability tests share: the driver's collection faces,
// its items by name, the driver object behind them, and a look at the
// session's name tables that the configuration store would otherwise fill.

#include "driver/korvane.h"
#include "tests/driver/driver_fixture.h"

namespace korvane {

struct DriverTestAccess {
  static NameValueTable& ForwardVirtualNames(CDriver& driver) {
    return driver.forwardVirtualNames_;
  }
  static NameValueTable& ModuleNames(CDriver& driver) { return driver.moduleNames_; }
};

}  // namespace korvane

namespace korvane::testing {

inline constexpr HRESULT kCannotRecover = static_cast<HRESULT>(0x80047000);
inline constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);
inline constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
inline constexpr HRESULT kUnknownPhysicalIdentifier = static_cast<HRESULT>(0x80047067);
inline constexpr OLECHAR kDetachedText[] =
    OLESTR("Korvane: Unrecoverable failure.\r\nRepeated capability not connected to driver");
inline constexpr OLECHAR kUnknownSelectorText[] =
    OLESTR("Korvane: Unknown physical repeated capability selector.");

// Whether two interface pointers lead to one COM object.
bool SameObject(IUnknown* a, IUnknown* b);

// The status of a call and the error information it left on the thread.
void ExpectError(HRESULT status, const IID& interfaceId, const OleString& description,
                 HRESULT actual);

class RepCapTest : public DriverTest {
 protected:
  // A face of the driver object.
  template <class Interface>
  ComPtr<Interface> Face() {
    ComPtr<Interface> face;
    EXPECT_EQ(S_OK, driver_->QueryInterface(IidOf<Interface>(), face.GetVoidAddressOf()));
    return face;
  }

  // Items by name through their collections (null, with a failed
  // expectation, when the collection refuses the name).
  ComPtr<IKorvaneTemperatureSensor> Sensor(const OLECHAR* name);
  ComPtr<IKorvaneFan> Fan(const OLECHAR* name);
  ComPtr<IKorvaneVoltageRail> Rail(const OLECHAR* name);
  ComPtr<IKorvaneVoltageRailAlarm> RailAlarm(const OLECHAR* name);

  // The driver object behind the client's interface.
  Korvane& Object() { return *static_cast<Korvane*>(static_cast<IKorvane*>(driver_.Get())); }
};

}  // namespace korvane::testing
