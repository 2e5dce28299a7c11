// The device search against a hub that lost the device the way real hubs do: the port reports no
// device, but its driver key name still answers and the device tree still holds the old node
// with an accepted description. Only the port's connection status tells that the device is
// gone, so both the quick reopen and the full search must look at it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "hardware/device.h"
#include "hardware/usb_sim.h"
#include "sim_state_fixture.h"

namespace {

const uint32_t DRIVERKEY_NAME = 0x220420;
const uint32_t DESCRIPTOR_REQUEST = 0x220410;

class LostPort : public SimStateTest {
protected:
    void Write(const SimModel& m) {
        ASSERT_TRUE(SaveSimFile(path.c_str(), m));
        ASSERT_TRUE(LoadDeviceManager());
    }
    SimModel Model() {
        SimModel m;
        ParseSimModel(
            "hcd 0 ROOT0\n"
            "hub ROOT0 4 {hub}\\0000 USB Root Hub\n"
            "port ROOT0 2 vornex {media}\\0007 Kelvara Vornex USB\n"
            "reg 6 2\n",
            &m);
        return m;
    }
    static void Lose(SimModel* m, int port) {
        for (SimPort& p : m->ports)
            if (p.port == port) p.kind = SIM_PORT_LOST;
    }
    static void Plug(SimModel* m, int port) {
        m->ports.push_back({"ROOT0", port, SIM_PORT_VORNEX, "", "{media}\\0009", "Kelvara Vornex USB"});
    }
    // The connection index of the last request sent to the device.
    static uint32_t LastRequestPort() {
        for (size_t i = UsbSimCalls().size(); i-- > 0;)
            if (UsbSimCalls()[i].code == DESCRIPTOR_REQUEST) return UsbSimCalls()[i].in[0];
        return 0;
    }
};

TEST_F(LostPort, TheSimulatedHubStillNamesTheLostDevice) {
    SimModel m = Model();
    Lose(&m, 2);
    Write(m);
    UsbHandle hub = UsbSimOpen("\\\\.\\ROOT0");
    ASSERT_NE(hub, USB_NO_HANDLE);
    uint8_t block[254] = {2};
    uint32_t got = 0;
    EXPECT_EQ(UsbSimControl(hub, DRIVERKEY_NAME, block, sizeof block, block, sizeof block, &got), 1)
        << "without a driver key answer this mode would not test the connection check";
    UsbSimClose(hub);
}

TEST_F(LostPort, QuickReopenFailsAndTheFullSearchFindsTheDeviceAgain) {
    SimModel m = Model();
    Write(m);
    ASSERT_EQ(OpenDevice(1), 1);
    ASSERT_EQ(CachedPort(), 2u);
    CloseDevice();

    // Unplugged from port 2 and plugged into port 4: the hub still remembers port 2.
    Lose(&m, 2);
    Plug(&m, 4);
    Write(m);
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_EQ(OpenPort(), 4u);
    EXPECT_EQ(CachedPort(), 4u);
    uint32_t input = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &input), 1);
    EXPECT_EQ(LastRequestPort(), 4u) << "requests go to the port the device is on now";
    CloseDevice();

    // Gone for good: no opening, an empty cache and no handle left behind.
    m.ports.pop_back();
    Write(m);
    EXPECT_EQ(OpenDevice(1), 0);
    EXPECT_EQ(OpenPort(), 0u);
    EXPECT_EQ(CachedPort(), 0u);
    EXPECT_STREQ(CachedHubPath(), "");
}

TEST_F(LostPort, TheFullSearchPassesOverALostPort) {
    SimModel m = Model();
    Lose(&m, 2);
    Plug(&m, 3);
    Write(m);
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_EQ(OpenPort(), 3u);
    uint32_t input = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &input), 1);
    EXPECT_EQ(input, 2u);
}

}  // namespace
