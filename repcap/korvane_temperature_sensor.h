#pragma once
// KorvaneTemperatureSensor: one temperature sensor of the chassis, an item of
// the TemperatureSensors collection.

#include "com/entry_layers.h"
#include "com/identifiers.h"
#include "repcap/rep_cap_template.h"

namespace korvane {

class KorvaneTemperatureSensor
    : public _RepCap<KorvaneTemperatureSensor, IKorvaneTemperatureSensor>,
      public IKorvaneTemperatureSensorEntry<KorvaneTemperatureSensor> {
 public:
  static constexpr const CLSID& kClassId = kClsidTemperatureSensor;

  // The sensor's temperature in degrees C, as the chassis reads it at the
  // sensor's chassis index (its index from the chassis's first sensor).
  HRESULT IKorvaneTemperatureSensor_get_Temperature(double* val);
};

}  // namespace korvane
