/* Plain and per-instance attribute reads between two marks that show in Wine's trace of server
 * requests: steady_cost_test.sh fails when a C call sends any request to the server. */
#include <windows.h>

#include "Korvane.h"

/* One request to the server, naming the mark (an event that does not exist). */
static void Mark(const char* name) {
  OpenEventA(SYNCHRONIZE, FALSE, name);
}

int main(void) {
  ViSession vi = VI_NULL;
  ViReal64 value = 0;
  int i;
  int failures = 0;
  if (Korvane_InitWithOptions("PXI0::0::INSTR", VI_FALSE, VI_FALSE, "Simulate=true", &vi) != 0) {
    return 1;
  }
  /* The first calls build the process's tables and enter the thread into COM. */
  Korvane_GetAttributeViReal64(vi, "", KORVANE_ATTR_SYSTEM_UPTIME, &value);
  Korvane_GetAttributeViReal64(vi, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE, &value);
  Mark("korvane-steady-start");
  for (i = 0; i < 100; ++i) {
    failures += Korvane_GetAttributeViReal64(vi, "", KORVANE_ATTR_SYSTEM_UPTIME, &value) != 0;
    failures += Korvane_GetAttributeViReal64(vi, "VPLUS_5_0", KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE,
                                             &value) != 0;
  }
  Mark("korvane-steady-end");
  return failures != 0 || Korvane_close(vi) != 0;
}
