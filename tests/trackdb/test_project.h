// A project folder for the tests: the database written by the project
// generator, then the descriptor written by the project itself, which opens
// the database and adds its root map.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/projgen/ProjectGenerator.h"
#include "trackdb/tgvProject.h"

// Samples of the generator's circuit: count points at hz from start.
inline std::vector<projgen::Sample> Drive(size_t count, int hz, uint64_t start) {
  std::vector<projgen::Sample> samples = projgen::CircuitSamples(projgen::Circuit(), hz, double(count) / hz, start);
  samples.resize(count);
  return samples;
}

// Fills a new database with `fill`, then makes it a project; closed after.
inline ::testing::AssertionResult BuildProject(const std::u16string& folder,
                                               const std::function<bool(projgen::ProjectDb&)>& fill) {
  projgen::ProjectDb gen;
  if (!gen.Create(folder + u"/bruser.poi") || !fill(gen) || !gen.Close())
    return ::testing::AssertionFailure() << "the generator failed";
  tgvProject_C project;
  if (!project.Create(folder.c_str(), 0)) return ::testing::AssertionFailure() << "code " << project.GetErrorCode();
  return project.Save() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "not saved";
}
