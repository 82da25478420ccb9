// The IVI inherent interfaces of the driver object: the fixed operation
// settings, the Simulate switch, the identity, the not-supported members,
// and the faces a client reaches through QueryInterface.

#include <functional>

#include "faces_fixture.h"

namespace korvane::testing {
namespace {

using InherentTest = FacesTest;

using FlagGetter = HRESULT (STDMETHODCALLTYPE IIviDriverOperation::*)(VARIANT_BOOL*);
using FlagSetter = HRESULT (STDMETHODCALLTYPE IIviDriverOperation::*)(VARIANT_BOOL);

TEST_F(InherentTest, OperationFlagsReadFixedValuesWhateverTheOptionsSaid) {
  struct Case {
    const char* name;
    FlagGetter get;
    FlagSetter put;
    VARIANT_BOOL value;
  };
  const Case cases[] = {
      {"Cache", &IIviDriverOperation::get_Cache, &IIviDriverOperation::put_Cache, VARIANT_FALSE},
      {"InterchangeCheck", &IIviDriverOperation::get_InterchangeCheck,
       &IIviDriverOperation::put_InterchangeCheck, VARIANT_FALSE},
      {"QueryInstrumentStatus", &IIviDriverOperation::get_QueryInstrumentStatus,
       &IIviDriverOperation::put_QueryInstrumentStatus, VARIANT_TRUE},
      {"RangeCheck", &IIviDriverOperation::get_RangeCheck, &IIviDriverOperation::put_RangeCheck,
       VARIANT_TRUE},
      {"RecordCoercions", &IIviDriverOperation::get_RecordCoercions,
       &IIviDriverOperation::put_RecordCoercions, VARIANT_FALSE},
  };
  ASSERT_EQ(S_OK, Initialize(OLESTR(""), false, false,
                             OLESTR("Simulate=true, Cache=true, RangeCheck=false, "
                                    "QueryInstrStatus=false, RecordCoercions=true")));
  IIviDriverOperation* operation = faces_.operation.Get();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VARIANT_BOOL value = 5;
    EXPECT_EQ(S_OK, (operation->*c.get)(&value));
    EXPECT_EQ(c.value, value);
    for (VARIANT_BOOL put : {VARIANT_TRUE, VARIANT_FALSE}) {
      EXPECT_EQ(E_IVI_ATTRIBUTE_NOT_SUPPORTED, (operation->*c.put)(put));
      EXPECT_EQ(OLESTR("Korvane: Does not support this class-compliant feature: property ") +
                    AnsiToOle(c.name) + OLESTR("."),
                TakeDescription());
    }
    EXPECT_EQ(S_OK, (operation->*c.get)(&value));
    EXPECT_EQ(c.value, value);
  }
}

TEST_F(InherentTest, UnsupportedFunctionsEmptyTheirOutputsAndSaySo) {
  StartSimulated();
  IIviDriverOperation* operation = faces_.operation.Get();
  IIviDriverUtility* utility = faces_.utility.Get();
  struct Case {
    const char* name;
    bool hasText;                             // whether the function has a text output
    std::function<HRESULT(OleString&)> call;  // receives that text
  };
  const Case cases[] = {
      {"InvalidateAllAttributes", false,
       [&](OleString&) { return operation->InvalidateAllAttributes(); }},
      {"ClearInterchangeWarnings", false,
       [&](OleString&) { return operation->ClearInterchangeWarnings(); }},
      {"ResetInterchangeCheck", false,
       [&](OleString&) { return operation->ResetInterchangeCheck(); }},
      {"GetNextInterchangeWarning", true,
       [&](OleString& out) {
         ScopedBstr text;
         HRESULT status = operation->GetNextInterchangeWarning(text.Receive());
         EXPECT_NE(nullptr, text.Get());  // an empty text, not none
         out = Text(text);
         return status;
       }},
      {"GetNextCoercionRecord", true,
       [&](OleString& out) {
         ScopedBstr text;
         HRESULT status = operation->GetNextCoercionRecord(text.Receive());
         EXPECT_NE(nullptr, text.Get());
         out = Text(text);
         return status;
       }},
      {"ErrorQuery", true,
       [&](OleString& out) {
         LONG code = 77;
         BSTR text = ScopedBstr(OLESTR("caller's text")).Release();
         HRESULT status = utility->ErrorQuery(&code, &text);
         ScopedBstr owned;
         *owned.Receive() = text;
         EXPECT_EQ(0, code);
         EXPECT_NE(nullptr, owned.Get());
         out = Text(owned);
         return status;
       }},
      {"LockObject", false, [&](OleString&) { return utility->LockObject(); }},
      {"UnlockObject", false, [&](OleString&) { return utility->UnlockObject(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OleString out = OLESTR("untouched");
    EXPECT_EQ(E_IVI_FUNCTION_NOT_SUPPORTED, c.call(out));
    EXPECT_EQ(OLESTR("Korvane: Does not support this class-compliant feature: method ") +
                  AnsiToOle(c.name) + OLESTR("."),
              TakeDescription());
    EXPECT_EQ(c.hasText ? OleString() : OleString(OLESTR("untouched")), out);
  }
}

TEST_F(InherentTest, SessionTextsAreThoseOfTheLastInitialize) {
  StartHardware(OLESTR("DriverSetup=Model=Q7730A, TraceSizeMax=5000"));
  struct Case {
    const char* name;
    HRESULT (STDMETHODCALLTYPE IIviDriverOperation::*get)(BSTR*);
    const OLECHAR* text;
  };
  const Case cases[] = {
      {"LogicalName", &IIviDriverOperation::get_LogicalName, OLESTR("")},
      {"IoResourceDescriptor", &IIviDriverOperation::get_IoResourceDescriptor,
       OLESTR("PXI0::0::INSTR")},
      {"DriverSetup", &IIviDriverOperation::get_DriverSetup,
       OLESTR("Model=Q7730A, TraceSizeMax=5000")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedBstr text;
    EXPECT_EQ(S_OK, (faces_.operation.Get()->*c.get)(text.Receive()));
    EXPECT_EQ(c.text, Text(text));
  }
}

VARIANT_BOOL Simulate(const Faces& faces) {
  VARIANT_BOOL value = 5;
  EXPECT_EQ(S_OK, faces.operation->get_Simulate(&value));
  return value;
}

TEST_F(InherentTest, AHardwareSessionSwitchesToSimulationAndBack) {
  StartHardware();
  EXPECT_EQ(VARIANT_FALSE, Simulate(faces_));
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  EXPECT_EQ(VARIANT_TRUE, Simulate(faces_));
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_FALSE));
  EXPECT_EQ(VARIANT_FALSE, Simulate(faces_));
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(3));  // any non-zero value is true
  EXPECT_EQ(VARIANT_TRUE, Simulate(faces_));
  EXPECT_TRUE(vc::Calls().empty());
  EXPECT_EQ(1u, vc::OpenSessionCount());
}

TEST_F(InherentTest, ASimulatedSessionCannotLeaveSimulation) {
  StartSimulated();
  EXPECT_EQ(E_IVI_CANNOT_CHANGE_SIMULATION_STATE, faces_.operation->put_Simulate(VARIANT_FALSE));
  EXPECT_EQ(OLESTR("Korvane: The simulation state cannot be changed."), TakeDescription());
  EXPECT_EQ(VARIANT_TRUE, Simulate(faces_));
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  // The rule holds after Close too, until the next Initialize.
  ASSERT_EQ(S_OK, driver_->Close());
  StartHardware();
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  EXPECT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_FALSE));
}

TEST_F(InherentTest, ResetWithDefaultsReturnsToTheInitialSimulationState) {
  StartHardware();
  ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  EXPECT_EQ(S_OK, faces_.utility->ResetWithDefaults());
  EXPECT_TRUE(vc::Calls().empty());  // the reset itself was simulated
  EXPECT_EQ(VARIANT_FALSE, Simulate(faces_));
}

TEST_F(InherentTest, ComponentIdentityWorksBeforeInitialize) {
  struct Case {
    const char* name;
    HRESULT (STDMETHODCALLTYPE IIviDriverIdentity::*get)(BSTR*);
    const OLECHAR* text;
  };
  const Case cases[] = {
      {"Description", &IIviDriverIdentity::get_Description,
       OLESTR("IVI driver for the Vantrel Q7730 18-slot PXI Chassis [Compiled for 64-bit.]")},
      {"Revision", &IIviDriverIdentity::get_Revision, OLESTR("0.1.0.437")},
      {"Vendor", &IIviDriverIdentity::get_Vendor, OLESTR("Vantrel Technologies")},
      {"Identifier", &IIviDriverIdentity::get_Identifier, OLESTR("Korvane")},
      {"SupportedInstrumentModels", &IIviDriverIdentity::get_SupportedInstrumentModels,
       OLESTR("Q7730A")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedBstr text;
    EXPECT_EQ(S_OK, (faces_.identity.Get()->*c.get)(text.Receive()));
    EXPECT_EQ(c.text, Text(text));
  }
  LONG version = -1;
  EXPECT_EQ(S_OK, faces_.identity->get_SpecificationMajorVersion(&version));
  EXPECT_EQ(0, version);
  version = -1;
  EXPECT_EQ(S_OK, faces_.identity->get_SpecificationMinorVersion(&version));
  EXPECT_EQ(0, version);
}

TEST_F(InherentTest, InstrumentIdentityNeedsAnInitializedSession) {
  for (auto get :
       {&IIviDriverIdentity::get_InstrumentModel, &IIviDriverIdentity::get_InstrumentManufacturer,
        &IIviDriverIdentity::get_InstrumentFirmwareRevision,
        &IIviDriverIdentity::get_GroupCapabilities}) {
    ScopedBstr text;
    EXPECT_EQ(E_IVI_NOT_INITIALIZED, (faces_.identity.Get()->*get)(text.Receive()));
  }
}

struct IdentityTexts {
  const OLECHAR* manufacturer;
  const OLECHAR* model;
  const OLECHAR* firmware;
};

void ExpectIdentity(const Faces& faces, const IdentityTexts& expected) {
  const std::pair<HRESULT (STDMETHODCALLTYPE IIviDriverIdentity::*)(BSTR*), const OLECHAR*>
      members[] = {
          {&IIviDriverIdentity::get_InstrumentManufacturer, expected.manufacturer},
          {&IIviDriverIdentity::get_InstrumentModel, expected.model},
          {&IIviDriverIdentity::get_InstrumentFirmwareRevision, expected.firmware},
          {&IIviDriverIdentity::get_GroupCapabilities, OLESTR("")},
      };
  for (const auto& [get, text] : members) {
    ScopedBstr value;
    EXPECT_EQ(S_OK, (faces.identity.Get()->*get)(value.Receive()));
    EXPECT_EQ(text, Text(value));
  }
}

TEST_F(InherentTest, InstrumentIdentityOfASimulatedSession) {
  StartSimulated();
  ExpectIdentity(faces_,
                 {OLESTR("Vantrel Technologies"), OLESTR("Q7730A"), OLESTR("Sim0.1.0.437")});
}

TEST_F(InherentTest, InstrumentIdentityOfAHardwareSessionIsReadOnceAtInitialize) {
  vc::SetText(vc::Text::kModel, "Q7730A");
  vc::SetText(vc::Text::kFirmwareRevision, "FW 7.2.1");
  StartHardware();
  // The virtual chassis marks its firmware revision, and the driver passes that on.
  ExpectIdentity(faces_, {OLESTR("Vantrel Technologies"), OLESTR("Q7730A"),
                          OLESTR("FW 7.2.1 (virtual chassis)")});
  EXPECT_TRUE(vc::Calls().empty());
  // Simulating, the firmware is the driver's own, marked.
  ASSERT_EQ(S_OK, faces_.operation->put_Simulate(VARIANT_TRUE));
  ExpectIdentity(faces_,
                 {OLESTR("Vantrel Technologies"), OLESTR("Q7730A"), OLESTR("Sim0.1.0.437")});
}

TEST_F(InherentTest, EveryFaceReachesEveryOtherWithOneIdentity) {
  const std::pair<const char*, const IID*> faces[] = {
      {"IKorvane", &IID_IKorvane},
      {"IIviDriver", &IID_IIviDriver},
      {"IIviDriverOperation", &IID_IIviDriverOperation},
      {"IIviDriverIdentity", &IID_IIviDriverIdentity},
      {"IIviComponentIdentity", &IID_IIviComponentIdentity},
      {"IIviDriverUtility", &IID_IIviDriverUtility},
      {"IKorvaneSystem", &IID_IKorvaneSystem},
      {"IKorvaneReferenceClock", &IID_IKorvaneReferenceClock},
      {"IKorvaneTriggerBus", &IID_IKorvaneTriggerBus},
      {"IKorvaneTemperatureSensorsAlarm", &IID_IKorvaneTemperatureSensorsAlarm},
      {"IKorvaneFansAlarm", &IID_IKorvaneFansAlarm},
      {"IKorvaneReferenceClockAlarm", &IID_IKorvaneReferenceClockAlarm},
      {"IKorvaneFansControl", &IID_IKorvaneFansControl},
  };
  const ComPtr<IUnknown> identity = QueryFace<IUnknown>(driver_.Get());
  const ComPtr<ISupportErrorInfo> errorInfo = QueryFace<ISupportErrorInfo>(driver_.Get());
  ASSERT_TRUE(identity && errorInfo);
  for (const auto& [name, iid] : faces) {
    SCOPED_TRACE(name);
    ComPtr<IUnknown> face;
    ASSERT_EQ(S_OK, driver_->QueryInterface(*iid, face.GetVoidAddressOf()));
    EXPECT_EQ(identity.Get(), QueryFace<IUnknown>(face.Get()).Get());
    EXPECT_EQ(S_OK, errorInfo->InterfaceSupportsErrorInfo(*iid));
    for (const auto& [otherName, otherIid] : faces) {
      ComPtr<IUnknown> other;
      EXPECT_EQ(S_OK, face->QueryInterface(*otherIid, other.GetVoidAddressOf())) << otherName;
    }
  }
  // One vtable serves both identity interfaces.
  const ComPtr<IIviComponentIdentity> component = QueryFace<IIviComponentIdentity>(driver_.Get());
  EXPECT_EQ(static_cast<IIviComponentIdentity*>(faces_.identity.Get()), component.Get());
}

TEST_F(InherentTest, TheReferenceClockHandsOutItsAlarmBeforeInitialize) {
  ComPtr<IKorvaneReferenceClockAlarm> alarm;
  EXPECT_EQ(S_OK, faces_.clock->get_Alarm(alarm.GetAddressOf()));
  EXPECT_EQ(faces_.clockAlarm.Get(), alarm.Get());
}

}  // namespace
}  // namespace korvane::testing
