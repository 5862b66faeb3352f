#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/fatal.h"
#include "instance/instance_record.h"

// Frees whatever a previous case left in the process-wide record.
inline void resetRecord() {
  releaseInstance();
  record = InstanceRecord{};
}

// Runs `body` and returns the message it failed with; fails the test when it
// succeeds.
template <typename Body>
std::string fatalMessage(Body body) {
  try {
    body();
  } catch (const FatalError& error) {
    return error.message;
  }
  ADD_FAILURE() << "expected a failure";
  return "";
}

// A test fixture that starts and ends with an empty record.
class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override { resetRecord(); }
  void TearDown() override { resetRecord(); }
};
