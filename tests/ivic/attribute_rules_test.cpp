// The rule the attribute table obeys: every known id answers exactly one of the typed Get
// functions, and on a simulated session that read reaches a driver property and succeeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ivic/Korvane.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane {
namespace {

// The typed reads, each given a selector (ignored by attributes without instances).
using Read = std::function<ViStatus(ViSession, const char*, ViAttr)>;

std::vector<Read> TypedReads() {
  return {
      [](ViSession vi, const char* s, ViAttr id) {
        ViInt32 v = 0;
        return Korvane_GetAttributeViInt32(vi, s, id, &v);
      },
      [](ViSession vi, const char* s, ViAttr id) {
        ViReal64 v = 0;
        return Korvane_GetAttributeViReal64(vi, s, id, &v);
      },
      [](ViSession vi, const char* s, ViAttr id) {
        ViBoolean v = 0;
        return Korvane_GetAttributeViBoolean(vi, s, id, &v);
      },
      [](ViSession vi, const char* s, ViAttr id) {
        ViSession v = 0;
        return Korvane_GetAttributeViSession(vi, s, id, &v);
      },
      [](ViSession vi, const char* s, ViAttr id) {
        char v[256];
        return Korvane_GetAttributeViString(vi, s, id, sizeof v, v);
      },
  };
}

TEST(AttributeRules, EveryIdHasOneTypeAndItsReadReachesTheDriver) {
  const virtual_chassis::ScopedReset reset;
  ViSession vi = VI_NULL;
  ASSERT_EQ(Korvane_InitWithOptions(const_cast<char*>("PXI0::0::INSTR"), VI_FALSE, VI_FALSE,
                                    "Simulate=true", &vi),
            VI_SUCCESS);
  const std::vector<Read> reads = TypedReads();
  int known = 0;
  for (ViAttr base : {IVI_INHERENT_ATTR_BASE, IVI_SPECIFIC_PUBLIC_ATTR_BASE}) {
    for (ViAttr id = base; id < base + 1000; ++id) {
      std::vector<const Read*> typed;
      for (const Read& read : reads) {
        const ViStatus status = read(VI_NULL, "", id);
        if (status == IVI_ERROR_INVALID_ATTRIBUTE) break;
        if (status != IVI_ERROR_TYPES_DO_NOT_MATCH) typed.push_back(&read);
      }
      if (typed.empty()) continue;
      ++known;
      ASSERT_EQ(typed.size(), 1u) << id;
      // One of the kinds' names reaches the item of a per-instance attribute; the others are
      // refused by the collection. Attributes without instances ignore the selector.
      std::vector<ViStatus> statuses;
      for (const char* selector : {"TS1", "FAN1", "VPLUS_5_0"}) {
        statuses.push_back((*typed.front())(vi, selector, id));
      }
      EXPECT_EQ(
          std::count_if(statuses.begin(), statuses.end(), [](ViStatus s) { return s >= 0; }) +
              std::count(statuses.begin(), statuses.end(), IVI_ERROR_UNKNOWN_PHYSICAL_IDENTIFIER),
          3)
          << id;
      EXPECT_GE(*std::max_element(statuses.begin(), statuses.end()), VI_SUCCESS) << id;
    }
  }
  EXPECT_EQ(known, 47);
  EXPECT_EQ(Korvane_close(vi), VI_SUCCESS);
}

}  // namespace
}  // namespace korvane
