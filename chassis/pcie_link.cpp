// IKorvane's PCIeLink: the topology of the chassis's host link.

#include "chassis/chassis_member.h"
#include "platform/scoped_bstr.h"

namespace korvane {
namespace {

constexpr uint32_t kTextBufferSize = 256;

}  // namespace

HRESULT Korvane::IKorvane_get_PCIeLink(BSTR* val) {
  const ChassisMember member(*this, OLESTR("PCIeLink"), OLESTR("PCIeLink"));
  if (HRESULT status = member.CheckOut(val); FAILED(status)) return status;
  if (IsSimulating()) {
    *val = AllocBstr(OLESTR("1x8"));
    return S_OK;
  }
  char topology[kTextBufferSize] = {};
  const HRESULT status = member.Run([&](Korvane_Fundamental_Api& chassis) {
    return chassis.getPCIeLinkTopology(topology, kTextBufferSize);
  });
  if (SUCCEEDED(status)) *val = AllocBstr(AnsiToOle(topology));
  return status;
}

}  // namespace korvane
