#include "repcap_fixture.h"

namespace korvane::testing {
namespace {

template <class Collection, class Item>
ComPtr<Item> ItemOf(Collection* collection, const OLECHAR* name) {
  ComPtr<Item> item;
  if (collection == nullptr) return item;
  ScopedBstr text(name);
  EXPECT_EQ(S_OK, collection->get_Item(text.Get(), item.GetAddressOf()));
  return item;
}

}  // namespace

bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> first, second;
  a->QueryInterface(IID_IUnknown, first.GetVoidAddressOf());
  b->QueryInterface(IID_IUnknown, second.GetVoidAddressOf());
  return first && first.Get() == second.Get();
}

void ExpectError(HRESULT status, const IID& interfaceId, const OleString& description,
                 HRESULT actual) {
  EXPECT_EQ(status, actual);
  const ErrorRecord error = TakeErrorInfo();
  EXPECT_TRUE(error.present);
  EXPECT_TRUE(IsEqualGUID(interfaceId, error.interfaceId));
  EXPECT_EQ(description, error.description);
}

ComPtr<IKorvaneTemperatureSensor> RepCapTest::Sensor(const OLECHAR* name) {
  return ItemOf<IKorvaneTemperatureSensors, IKorvaneTemperatureSensor>(
      Face<IKorvaneTemperatureSensors>().Get(), name);
}

ComPtr<IKorvaneFan> RepCapTest::Fan(const OLECHAR* name) {
  return ItemOf<IKorvaneFans, IKorvaneFan>(Face<IKorvaneFans>().Get(), name);
}

ComPtr<IKorvaneVoltageRail> RepCapTest::Rail(const OLECHAR* name) {
  return ItemOf<IKorvaneVoltageRails, IKorvaneVoltageRail>(Face<IKorvaneVoltageRails>().Get(),
                                                           name);
}

ComPtr<IKorvaneVoltageRailAlarm> RepCapTest::RailAlarm(const OLECHAR* name) {
  ComPtr<IKorvaneVoltageRailAlarm> alarm;
  if (ComPtr<IKorvaneVoltageRail> rail = Rail(name)) {
    EXPECT_EQ(S_OK, rail->get_Alarm(alarm.GetAddressOf()));
  }
  return alarm;
}

}  // namespace korvane::testing
