#pragma once
// The data-center tests' fixture on the whole market simulator.
#include <gtest/gtest.h>

#include "tests/support/CenterFixtures.h"
#include "tests/support/SimulatedMarket.h"

class CDataCenter;

// A data center on the simulator with a recording observer. The end runs in
// the program's order: cache thread, request manager, data center.
class CenterFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    SimulatedMarket sim;
    RecordingObserver observer;
    CDataCenter* center = nullptr;
};
