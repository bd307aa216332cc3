// The generated sample circuit and beacon lines across it, for the upload
// tests' workspaces and beacon files.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

#include "tools/projgen/ProjectGenerator.h"
#include "tools/standin-service/StandinService.h"

inline const projgen::Circuit kCircuit;

// A beacon line across the sample circuit at `angle` of its ellipse, facing
// the way the cars drive there (counter-clockwise).
inline StandinBeacon CircuitBeacon(int32_t type, double angle) {
  const double cosLat = std::cos(kCircuit.centerLat * std::numbers::pi / 180.0);
  StandinBeacon b;
  b.type = type;
  b.latitude = kCircuit.centerLat + kCircuit.radiusNorthKm * std::sin(angle) / 111.195;
  b.longitude = kCircuit.centerLon + kCircuit.radiusEastKm * std::cos(angle) / (111.195 * cosLat);
  const double north = kCircuit.radiusNorthKm * std::cos(angle), east = -kCircuit.radiusEastKm * std::sin(angle);
  b.heading = static_cast<float>(std::fmod(std::atan2(east, north) * 180.0 / std::numbers::pi + 360.0, 360.0));
  b.width = 40;
  return b;
}
