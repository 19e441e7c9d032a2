#include "engine/core/AccelerometerDevice.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Varnok;

namespace {

struct Reading {
    float x = -1.0f;
    float y = -1.0f;
    float z = -1.0f;
};

Reading Read(AccelerometerDevice& device) {
    Reading r;
    EXPECT_EQ(device.GetAcceleration(&r.x, &r.y, &r.z), 1);
    return r;
}

}  // namespace

TEST(AccelerometerDevice, ReadsZeroUntilTheFirstSample) {
    AccelerometerDevice device;
    EXPECT_FALSE(device.IsStarted());
    Reading r = Read(device);
    EXPECT_TRUE(device.IsStarted());
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_EQ(r.z, 0.0f);
}

TEST(AccelerometerDevice, AFedReadingArrivesAtTheNextSample) {
    AccelerometerDevice device;
    device.Feed(0.0f, 0.5f, 0.9f);
    device.AdvanceClock(1.0f);  // not started: the sensor is not sampled yet
    EXPECT_EQ(Read(device).z, 0.0f);

    device.AdvanceClock(0.1f);
    EXPECT_EQ(Read(device).z, 0.0f);  // 0.1 s of 0.2
    device.AdvanceClock(0.1f);
    Reading r = Read(device);
    EXPECT_EQ(r.y, 0.5f);
    EXPECT_EQ(r.z, 0.9f);

    device.Feed(0.0f, 0.0f, -1.0f);  // turned over
    device.AdvanceClock(0.25f);
    EXPECT_EQ(Read(device).z, -1.0f);
    float px = 0.0f;
    float py = 0.0f;
    float pz = 0.0f;
    device.GetPreviousAcceleration(&px, &py, &pz);
    EXPECT_EQ(pz, 0.9f);

    device.AdvanceClock(-5.0f);  // a clock going back delivers nothing
    device.AdvanceClock(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Read(device).z, -1.0f);
}

TEST(AccelerometerDevice, StoreTakesASampleAtOnce) {
    AccelerometerDevice device;
    device.Store(0.1f, 0.2f, 0.3f);
    Reading r = Read(device);
    EXPECT_EQ(r.x, 0.1f);
    EXPECT_EQ(r.z, 0.3f);
    EXPECT_EQ(&AccelerometerDevice::Get(), &AccelerometerDevice::Get());
}
