// The project generator's sample circuit and beacon lines across it, for the
// upload tests' workspaces and beacon files. Link projgen and standin_service.
#pragma once

#include <cstdint>

#include "tools/projgen/ProjectGenerator.h"
#include "tools/standin-service/StandinService.h"

inline const projgen::Circuit kCircuit;

// A line 40 m wide at `angle` (radians) of the circuit's ellipse, 0 at its
// east end, facing the way the cars drive there.
inline StandinBeacon CircuitBeacon(int32_t type, double angle) {
  const projgen::CircuitPlace place = projgen::CircuitPlaceAt(kCircuit, angle);
  StandinBeacon b;
  b.type = type;
  b.latitude = place.lat;
  b.longitude = place.lon;
  b.heading = static_cast<float>(place.course);
  b.width = 40;
  return b;
}
