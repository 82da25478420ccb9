// IIviComponentIdentity and IIviDriverIdentity: what the driver says about
// itself (the driver information block) and about the instrument (the
// identity read at the last Initialize; the chassis is not asked again).

#include "driver/korvane.h"
#include "platform/scoped_bstr.h"

namespace korvane {

// --- IIviComponentIdentity ---------------------------------------------------

HRESULT Korvane::IIviComponentIdentity_get_Description(BSTR* val) {
  *val = AllocBstr(Info().description + OLESTR(" [Compiled for 64-bit.]"));
  return S_OK;
}

HRESULT Korvane::IIviComponentIdentity_get_Revision(BSTR* val) {
  *val = AllocBstr(Info().revision);
  return S_OK;
}

HRESULT Korvane::IIviComponentIdentity_get_Vendor(BSTR* val) {
  *val = AllocBstr(Info().vendor);
  return S_OK;
}

// --- IIviDriverIdentity ------------------------------------------------------

HRESULT Korvane::IIviDriverIdentity_get_InstrumentManufacturer(BSTR* val) {
  *val = AllocBstr(IsSimulating() ? Info().vendor : Identity().manufacturer);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_InstrumentModel(BSTR* val) {
  *val = AllocBstr(Identity().model);
  return S_OK;
}

// While simulating there is no firmware: the driver's own revision, marked.
HRESULT Korvane::IIviDriverIdentity_get_InstrumentFirmwareRevision(BSTR* val) {
  *val = AllocBstr(IsSimulating() ? OLESTR("Sim") + Info().revision : Identity().firmwareRevision);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_Identifier(BSTR* val) {
  *val = AllocBstr(Info().identifier);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_SupportedInstrumentModels(BSTR* val) {
  *val = AllocBstr(Info().supportedInstrumentModels);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_SpecificationMajorVersion(LONG* val) {
  *val = static_cast<LONG>(Info().specificationMajorVersion);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_SpecificationMinorVersion(LONG* val) {
  *val = static_cast<LONG>(Info().specificationMinorVersion);
  return S_OK;
}

HRESULT Korvane::IIviDriverIdentity_get_GroupCapabilities(BSTR* val) {
  *val = AllocBstr(Info().groupCapabilities);
  return S_OK;
}

}  // namespace korvane
