// The three collections of the driver: Count, Name and Item with their index
// base, name resolution and errors; the item objects they hand out, the same
// until Close and detached afterwards.

#include <functional>

#include "repcap/korvane_fan.h"
#include "repcap_fixture.h"

namespace korvane::testing {
namespace {

// One collection face seen through plain functions, so that the three
// collections run through the same table.
struct CollectionCase {
  const char* name;
  std::function<HRESULT(IIviDriver*, LONG*)> count;
  std::function<HRESULT(IIviDriver*, LONG, BSTR*)> nameAt;
  std::function<HRESULT(IIviDriver*, BSTR, IUnknown**)> item;
  IID collectionId;
  std::vector<OleString> physicalNames;
};

template <class Collection, class Item>
CollectionCase MakeCase(const char* name, std::vector<OleString> physicalNames) {
  auto face = [](IIviDriver* driver) {
    ComPtr<Collection> collection;
    driver->QueryInterface(IidOf<Collection>(), collection.GetVoidAddressOf());
    return collection;
  };
  return {name,
          [face](IIviDriver* d, LONG* val) { return face(d)->get_Count(val); },
          [face](IIviDriver* d, LONG index, BSTR* val) { return face(d)->get_Name(index, val); },
          [face](IIviDriver* d, BSTR itemName, IUnknown** val) {
            Item* item = nullptr;
            const HRESULT status = face(d)->get_Item(itemName, &item);
            *val = item;
            return status;
          },
          IidOf<Collection>(),
          std::move(physicalNames)};
}

std::vector<CollectionCase> AllCollections() {
  return {
      MakeCase<IKorvaneTemperatureSensors, IKorvaneTemperatureSensor>(
          "temperature sensors", {OLESTR("TS1"), OLESTR("TS2"), OLESTR("TS3"), OLESTR("TS4"),
                                  OLESTR("TS5"), OLESTR("TS6"), OLESTR("TS7"), OLESTR("TS8")}),
      MakeCase<IKorvaneFans, IKorvaneFan>("fans", {OLESTR("FAN1"), OLESTR("FAN2"), OLESTR("FAN3")}),
      MakeCase<IKorvaneVoltageRails, IKorvaneVoltageRail>(
          "voltage rails",
          {OLESTR("VPLUS_3_3"), OLESTR("VPLUS_5_0"), OLESTR("VPLUS_12_0"), OLESTR("VMINUS_12_0")}),
  };
}

using CollectionTest = RepCapTest;

TEST_F(CollectionTest, CountsAndNamesInIndexOrderSimulatedAndOnHardware) {
  for (bool simulated : {true, false}) {
    SCOPED_TRACE(simulated ? "simulated" : "hardware");
    ASSERT_EQ(S_OK, simulated ? InitializeSimulated() : InitializeHardware());
    for (const CollectionCase& c : AllCollections()) {
      SCOPED_TRACE(c.name);
      LONG count = 0;
      EXPECT_EQ(S_OK, c.count(driver_.Get(), &count));
      EXPECT_EQ(static_cast<LONG>(c.physicalNames.size()), count);
      for (LONG index = 1; index <= count; ++index) {
        ScopedBstr name;
        EXPECT_EQ(S_OK, c.nameAt(driver_.Get(), index, name.Receive()));
        EXPECT_EQ(c.physicalNames[index - 1], BstrView(name.Get()));
      }
      // Every physical name selects an item of its own.
      std::vector<ComPtr<IUnknown>> items;
      for (const OleString& physicalName : c.physicalNames) {
        ScopedBstr name(physicalName.c_str());
        ComPtr<IUnknown> item;
        EXPECT_EQ(S_OK, c.item(driver_.Get(), name.Get(), item.GetAddressOf()));
        ASSERT_TRUE(item);
        for (const ComPtr<IUnknown>& earlier : items)
          EXPECT_FALSE(SameObject(earlier.Get(), item.Get()));
        items.push_back(item);
      }
    }
    EXPECT_EQ(S_OK, driver_->Close());
  }
}

TEST_F(CollectionTest, NameOutsideOneToCountIsAnInvalidIndex) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  for (const CollectionCase& c : AllCollections()) {
    SCOPED_TRACE(c.name);
    const LONG count = static_cast<LONG>(c.physicalNames.size());
    for (LONG index : {LONG{0}, count + 1, LONG{-1}}) {
      BSTR name = nullptr;
      ExpectError(kInvalidValue, c.collectionId,
                  OLESTR("Korvane: Invalid value (") + AnsiToOle(std::to_string(index)) +
                      OLESTR(") for method get_Name, parameter Index."),
                  c.nameAt(driver_.Get(), index, &name));
      EXPECT_EQ(nullptr, name);
    }
  }
}

TEST_F(CollectionTest, ItemResolvesNamesAsClientsWriteThem) {
  struct Case {
    const OLECHAR* name;
    const OLECHAR* expected;  // null: unknown
  };
  const Case cases[] = {
      {OLESTR("FAN2"), OLESTR("FAN2")},
      {OLESTR("fan2"), OLESTR("FAN2")},
      {OLESTR(" \tFAN2  "), OLESTR("FAN2")},
      {OLESTR("Fan!!FAN3"), OLESTR("FAN3")},
      {OLESTR("anything!!fan1"), OLESTR("FAN1")},
      {OLESTR("Fan!!FAN3!!FAN1"), nullptr},  // only the first "!!" separates
      {OLESTR("FAN4"), nullptr},
      {OLESTR("FAN"), nullptr},
      {OLESTR("FAN 2"), nullptr},
      {OLESTR(""), nullptr},  // more than one fan: an empty name selects none
      {OLESTR("   "), nullptr},
  };
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneFans> fans = Face<IKorvaneFans>();
  for (const Case& c : cases) {
    SCOPED_TRACE(OleToAnsi(c.name));
    ScopedBstr name(c.name);
    ComPtr<IKorvaneFan> fan;
    const HRESULT status = fans->get_Item(name.Get(), fan.GetAddressOf());
    if (c.expected == nullptr) {
      ExpectError(kUnknownPhysicalIdentifier, IID_IKorvaneFans, kUnknownSelectorText, status);
      EXPECT_FALSE(fan);
      continue;
    }
    ASSERT_EQ(S_OK, status);
    EXPECT_EQ(OleView(c.expected), static_cast<KorvaneFan*>(fan.Get())->GetPhysicalName());
  }
  ComPtr<IKorvaneTemperatureSensor> sensor;
  ScopedBstr ts9(OLESTR("TS9"));
  ExpectError(kUnknownPhysicalIdentifier, IID_IKorvaneTemperatureSensors, kUnknownSelectorText,
              Face<IKorvaneTemperatureSensors>()->get_Item(ts9.Get(), sensor.GetAddressOf()));
}

TEST_F(CollectionTest, VirtualNamesAndModuleNamesOfTheSession) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  NameValueTable& forward = DriverTestAccess::ForwardVirtualNames(Object());
  forward[OLESTR("myfan")] = OLESTR("FAN1");
  forward[OLESTR("rear")] = OLESTR("Fan!!FAN3");
  forward[OLESTR("fan2")] = OLESTR("FAN3");  // a physical name can be redirected too
  DriverTestAccess::ModuleNames(Object())[OLESTR("Fan!!FAN2")] = OLESTR("Inlet fan");
  DriverTestAccess::ModuleNames(Object())[OLESTR("fan!!FAN3")] = OLESTR("not matched: case");

  EXPECT_TRUE(SameObject(Fan(OLESTR("MyFan")).Get(), Fan(OLESTR("FAN1")).Get()));
  EXPECT_TRUE(SameObject(Fan(OLESTR(" REAR ")).Get(), Fan(OLESTR("FAN3")).Get()));
  EXPECT_TRUE(SameObject(Fan(OLESTR("fan2")).Get(), Fan(OLESTR("FAN3")).Get()));

  ComPtr<IKorvaneFans> fans = Face<IKorvaneFans>();
  const OLECHAR* expectedNames[] = {OLESTR("FAN1"), OLESTR("Inlet fan"), OLESTR("FAN3")};
  for (LONG index = 1; index <= 3; ++index) {
    ScopedBstr name;
    EXPECT_EQ(S_OK, fans->get_Name(index, name.Receive()));
    EXPECT_EQ(OleView(expectedNames[index - 1]), BstrView(name.Get()));
  }

  // The full name resolves the physical name through the same table, once.
  auto fullName = [this](const OLECHAR* name) {
    return static_cast<KorvaneFan*>(Fan(name).Get())->GetFullName();
  };
  EXPECT_EQ(OLESTR("KorvaneFan[FAN1]"), fullName(OLESTR("FAN1")));
  EXPECT_EQ(OLESTR("KorvaneFan[FAN3]"), fullName(OLESTR("Fan!!FAN2")));
  forward.clear();
  EXPECT_EQ(OLESTR("KorvaneFan[FAN3]"), fullName(OLESTR("FAN2")));
  EXPECT_EQ(OLESTR("KorvaneFan[FAN3]"), fullName(OLESTR("FAN3")));
}

TEST_F(CollectionTest, TheSameNameGivesTheSameObjectUntilClose) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneFan> first = Fan(OLESTR("FAN1"));
  EXPECT_EQ(first.Get(), Fan(OLESTR("fan1")).Get());
  ComPtr<IKorvaneVoltageRail> rail = Rail(OLESTR("VPLUS_5_0"));
  EXPECT_EQ(rail.Get(), Rail(OLESTR("VPLUS_5_0")).Get());
  // A client that lets its item go gets the same one back.
  IKorvaneFan* const address = first.Get();
  first.Reset();
  EXPECT_EQ(address, Fan(OLESTR("FAN1")).Get());

  ComPtr<IKorvaneFan> before = Fan(OLESTR("FAN1"));
  ASSERT_EQ(S_OK, driver_->Close());
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneFan> after = Fan(OLESTR("FAN1"));
  EXPECT_FALSE(SameObject(before.Get(), after.Get()));
  LONG rpm = 0;
  EXPECT_EQ(S_OK, after->get_RPM(&rpm));
  EXPECT_EQ(kCannotRecover, before->get_RPM(&rpm));
}

TEST_F(CollectionTest, ItemsHeldPastCloseAreDetached) {
  ASSERT_EQ(S_OK, InitializeSimulated());
  ComPtr<IKorvaneTemperatureSensor> sensor = Sensor(OLESTR("TS1"));
  ComPtr<IKorvaneFan> fan = Fan(OLESTR("FAN1"));
  ComPtr<IKorvaneVoltageRail> rail = Rail(OLESTR("VPLUS_3_3"));
  ComPtr<IKorvaneVoltageRailAlarm> alarm = RailAlarm(OLESTR("VPLUS_3_3"));
  ASSERT_EQ(S_OK, driver_->Close());

  double volts = 1;
  LONG rpm = 1;
  VARIANT_BOOL flag = VARIANT_TRUE;
  IKorvaneVoltageRailAlarm* alarmOut = nullptr;
  struct Case {
    const char* member;
    IID interfaceId;
    std::function<HRESULT()> call;
  };
  const Case cases[] = {
      {"Temperature", IID_IKorvaneTemperatureSensor,
       [&] { return sensor->get_Temperature(&volts); }},
      {"RPM", IID_IKorvaneFan, [&] { return fan->get_RPM(&rpm); }},
      {"Alarm", IID_IKorvaneVoltageRail, [&] { return rail->get_Alarm(&alarmOut); }},
      {"Voltage", IID_IKorvaneVoltageRail, [&] { return rail->get_Voltage(&volts); }},
      {"ExpectedVoltage", IID_IKorvaneVoltageRail,
       [&] { return rail->get_ExpectedVoltage(&volts); }},
      {"Clear", IID_IKorvaneVoltageRailAlarm, [&] { return alarm->Clear(); }},
      {"Enabled", IID_IKorvaneVoltageRailAlarm, [&] { return alarm->get_Enabled(&flag); }},
      {"MaxVoltage", IID_IKorvaneVoltageRailAlarm, [&] { return alarm->put_MaxVoltage(5.0); }},
      {"null pointer", IID_IKorvaneVoltageRailAlarm,
       [&] { return alarm->get_MinVoltage(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    ExpectError(kCannotRecover, c.interfaceId, kDetachedText, c.call());
  }
  EXPECT_EQ(1.0, volts);  // nothing written
  EXPECT_EQ(nullptr, alarmOut);
}

TEST_F(CollectionTest, CollectionsNeedAnInitializedDriverButTheirFacesDoNot) {
  ComPtr<IKorvaneFans> fans = Face<IKorvaneFans>();
  LONG count = -1;
  ExpectError(kNotInitialized, IID_IKorvaneFans,
              OLESTR("Korvane: A connection to the instrument has not been established."),
              fans->get_Count(&count));

  // Alarm and Control lead back to the driver object's own faces, before
  // Initialize too.
  auto sameAsQuery = [this](const IID& iid, auto getter) {
    ComPtr<IUnknown> expected;
    const HRESULT query = driver_->QueryInterface(iid, expected.GetVoidAddressOf());
    IUnknown* face = nullptr;
    EXPECT_EQ(query, getter(&face));
    if (face != nullptr) {
      EXPECT_TRUE(SameObject(face, driver_.Get()));
      face->Release();
    }
  };
  sameAsQuery(IID_IKorvaneFansAlarm, [&](IUnknown** out) {
    return fans->get_Alarm(reinterpret_cast<IKorvaneFansAlarm**>(out));
  });
  sameAsQuery(IID_IKorvaneFansControl, [&](IUnknown** out) {
    return fans->get_Control(reinterpret_cast<IKorvaneFansControl**>(out));
  });
  sameAsQuery(IID_IKorvaneTemperatureSensorsAlarm, [&](IUnknown** out) {
    return Face<IKorvaneTemperatureSensors>()->get_Alarm(
        reinterpret_cast<IKorvaneTemperatureSensorsAlarm**>(out));
  });

  ASSERT_EQ(S_OK, InitializeSimulated());
  ExpectError(static_cast<HRESULT>(0x80047058), IID_IKorvaneFans,
              OLESTR("Korvane: Null pointer passed for method get_Count, parameter val."),
              fans->get_Count(nullptr));
}

}  // namespace
}  // namespace korvane::testing
