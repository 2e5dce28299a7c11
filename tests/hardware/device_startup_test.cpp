// The start-up's device step: saved output status, input selection and record rates; and the
// record-rate pair the deck keeps up to date from the digital input's lock register.
#include "hardware/device.h"
#include "hardware/usb_sim.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const char* const TOPOLOGY =
    "hcd 0 ROOT0\n"
    "hub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex Pro\n";

struct Case {
    const char* name;
    std::string state;  // appended to the topology; "" = no device attached
    int result;
    uint32_t recordInput;  // InputSel afterwards; 9 = left as it was
    uint32_t rate;         // record rate and previous record rate afterwards; 0 = left as they were
};

TEST(DeviceStartup, StatusFromTheDevice) {
    const Case cases[] = {
        {"absent",              "",                                       0,  1, 44100},
        {"IN2 locked 48000",    "reg 6 2\nreg 7 5\n",                     0,  0, 48000},
        {"IN1 locked 32000",    "reg 6 1\nreg 7 7\n",                     0,  1, 32000},
        {"odd input, unlocked", "reg 6 9\nreg 7 0\n",                     0,  1, 44100},
        {"input unreadable",    "reg 6 2\nreg 7 5\nfault read6 fail\n",   30, 9, 0    },
        {"lock unreadable",     "reg 6 2\nreg 7 5\nfault reg7 reply 3\n", 12, 9, 0    },
    };
    char name[] = "/tmp/qd_usb_sim_XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    for (const Case& c : cases) {
        std::ofstream(name) << (c.state.empty() ? std::string("hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n")
                                                : TOPOLOGY + c.state);
        UsbSimResetForTest();
        UsbSimSetStateFile(name);
        ResetDeviceForTest();
        ASSERT_EQ(LoadDeviceManager(), 1);
        ResetSettingsForTest();
        Settings().recordInput = 9;
        SetRecordRates(11, 22);

        EXPECT_EQ(InitDeviceStatus(), c.result) << c.name;
        EXPECT_EQ(Settings().recordInput, c.recordInput) << c.name;
        EXPECT_EQ(GetRecordRate(), c.rate ? c.rate : 11) << c.name;
        EXPECT_EQ(GetPrevRecordRate(), c.rate ? c.rate : 22) << c.name;
        EXPECT_EQ(UsbSimOpenHandles(), 0) << c.name << ": the device is closed again";
        SimModel m;
        LoadSimFile(name, &m);
        std::vector<std::string> expected;
        if (!c.state.empty()) expected = {"out 0 0", "out 1 150", "out 2 0", "out 3 0"};
        EXPECT_EQ(m.wrote, expected) << c.name;
        FreeDeviceManager();
    }
    std::remove(name);
}

// The deck compares the two rates to notice that the digital input changed rate in record
// standby; the lock register's codes are read here as the deck reads them.
TEST(DeviceRates, EachReadingShiftsTheRateIntoThePreviousOne) {
    SetRecordRates(48000, 48000);  // as the start-up leaves them with the input at 48 kHz
    const struct {
        uint32_t reg7;
        uint32_t rate, prevRate;
        int locked;
    } readings[] = {
        {6, 44100, 48000, 1},
        {6, 44100, 44100, 1},
        {5, 48000, 44100, 1},  // back at the start-up rate: still a change
        {7, 32000, 48000, 1},
        {0, 44100, 32000, 0},  // unlocked: 44.1 kHz
        {4, 44100, 44100, 0},
        {8, 44100, 44100, 0},
    };
    for (const auto& r : readings) {
        SetRecordRate(RateFromLockCode(r.reg7));
        EXPECT_EQ(GetRecordRate(), r.rate) << "code " << r.reg7;
        EXPECT_EQ(GetPrevRecordRate(), r.prevRate) << "code " << r.reg7;
        EXPECT_EQ(IsLockCode(r.reg7), r.locked) << "code " << r.reg7;
    }
}

}  // namespace
