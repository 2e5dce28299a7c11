// A fixture for the device tests: a scratch state file for the simulated USB host, a fresh device
// module, and the check that every path the test opened was closed again.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "hardware/device.h"
#include "hardware/usb_sim.h"

class SimStateTest : public ::testing::Test {
protected:
    std::string path;

    void SetUp() override {
        char name[] = "/tmp/qd_usb_sim_XXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path = name;
        UsbSimResetForTest();
        UsbSimSetStateFile(path.c_str());
        ResetDeviceForTest();
    }
    void TearDown() override {
        CloseDevice();
        EXPECT_EQ(UsbSimOpenHandles(), 0) << "a path was left open";
        FreeDeviceManager();
        std::remove(path.c_str());
    }
};
