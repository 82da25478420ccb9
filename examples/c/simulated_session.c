/* A C client of the installed driver: opens a simulated session, prints the
 * instrument's identity and one temperature, and closes the session.
 *
 *   cc simulated_session.c $(pkg-config --cflags --libs korvane) -o simulated_session
 */
#include <Korvane.h>
#include <stdio.h>

static int Check(ViSession vi, ViStatus status, const char* what) {
  ViStatus code = status;
  ViChar description[256] = "";
  if (status >= VI_SUCCESS) return 1;
  Korvane_GetError(vi, &code, (ViInt32)sizeof description, description);
  fprintf(stderr, "%s failed: 0x%08X %s\n", what, (unsigned)status, description);
  return 0;
}

int main(int argc, char** argv) {
  ViSession vi = VI_NULL;
  ViChar model[256] = "";
  ViReal64 temperature = 0.0;
  ViInt32 sensors = 0;
  ViRsrc resource = argc > 1 ? argv[1] : "PXI0::0::INSTR";
  int ok;

  if (!Check(VI_NULL, Korvane_InitWithOptions(resource, VI_FALSE, VI_FALSE, "Simulate=true", &vi),
             "Korvane_InitWithOptions"))
    return 1;
  ok = Check(vi,
             Korvane_GetAttributeViString(vi, "", IVI_ATTR_INSTRUMENT_MODEL, (ViInt32)sizeof model,
                                          model),
             "reading the model") &&
       Check(vi,
             Korvane_GetAttributeViInt32(vi, "", KORVANE_ATTR_TEMPERATURE_SENSORS_COUNT, &sensors),
             "reading the sensor count") &&
       Check(vi,
             Korvane_GetAttributeViReal64(vi, "TS1", KORVANE_ATTR_TEMPERATURE_SENSOR_TEMPERATURE,
                                          &temperature),
             "reading TS1");
  if (ok) printf("model %s, %d sensors, TS1 %.1f C\n", model, (int)sensors, temperature);
  ok = Check(vi, Korvane_close(vi), "Korvane_close") && ok;
  return ok ? 0 : 1;
}
