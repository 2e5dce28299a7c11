// Device discovery and requests against the simulated USB host.
#include "hardware/device.h"
#include "hardware/device_protocol.h"
#include "hardware/usb_sim.h"
#include "hardware/wave_devices.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include "sim_state_fixture.h"

namespace {

class DeviceTest : public SimStateTest {
protected:
    void Write(const std::string& text) {
        std::ofstream(path) << text;
        ASSERT_TRUE(LoadDeviceManager());
    }
    SimModel Model() {
        SimModel m;
        LoadSimFile(path.c_str(), &m);
        return m;
    }
    size_t CallCount() { return UsbSimCalls().size(); }
    int CallsSince(size_t start, uint32_t code) {
        int n = 0;
        for (size_t i = start; i < UsbSimCalls().size(); i++) n += UsbSimCalls()[i].code == code;
        return n;
    }
};

// One controller, a keyboard on port 1 and the device on port 2 of its root hub.
const char* const SIMPLE =
    "hcd 0 ROOT0\n"
    "hub ROOT0 4 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 1 device {kbd}\\0000 USB Keyboard\n"
    "port ROOT0 2 vornex {media}\\0007 Kelvara Vornex USB\n"
    "reg 6 2\nreg 7 5\nreg 8 0x32\ninput 4 128 0 2\n";

TEST_F(DeviceTest, FindsDeviceBehindExternalHubAndCachesThatHub) {
    Write(
        "hcd 0 ROOT0\n"
        "hub ROOT0 4 {hub}\\0000 USB Root Hub\n"
        "hub EXT 4 {hub}\\0001 Generic USB Hub\n"
        "port ROOT0 1 device {kbd}\\0000 USB Keyboard\n"
        "port ROOT0 2 hub EXT\n"
        "port EXT 3 vornex {media}\\0007 Kelvara Vornex USB Device\n");
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_STREQ(CachedHubPath(), "\\\\.\\EXT");
    EXPECT_EQ(CachedPort(), 3u);
    EXPECT_EQ(OpenPort(), 3u);
    EXPECT_EQ(UsbSimOpenHandles(), 1) << "only the device's hub stays open";
    uint32_t v = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 1);
}

TEST_F(DeviceTest, LowestControllerThenFirstDepthFirstPortWins) {
    // Controller 0 is missing; controller 1 has a device on its root hub's port 2 and another
    // behind the hub on port 1; controller 2 has one on port 1.
    Write(
        "hcd 2 ROOT2\nhcd 1 ROOT1\n"
        "hub ROOT1 2 {hub}\\0001 USB Root Hub\n"
        "hub ROOT2 2 {hub}\\0002 USB Root Hub\n"
        "hub EXT 4 {hub}\\0003 Generic USB Hub\n"
        "port ROOT2 1 vornex {media}\\0001 Kelvara Vornex USB\n"
        "port ROOT1 2 vornex {media}\\0002 Kelvara Vornex Pro\n"
        "port ROOT1 1 hub EXT\n"
        "port EXT 1 device {kbd}\\0000 USB Keyboard\n"
        "port EXT 4 vornex {media}\\0003 Kelvara Vornex Pro Device\n");
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_STREQ(CachedHubPath(), "\\\\.\\EXT");
    EXPECT_EQ(CachedPort(), 4u);
}

TEST_F(DeviceTest, QuickReopenUntilTheDeviceMoves) {
    Write(SIMPLE);
    ASSERT_EQ(OpenDevice(1), 1);
    CloseDevice();

    size_t start = CallCount();
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_EQ(UsbSimCalls()[start].target, "\\\\.\\ROOT0") << "reopened from the cache";
    for (size_t i = start; i < CallCount(); i++) EXPECT_EQ(UsbSimCalls()[i].target, "\\\\.\\ROOT0");
    CloseDevice();

    // Moved to port 4: the cached port is empty now, so the full search runs and finds it.
    std::string moved = SIMPLE;
    moved.replace(moved.find("ROOT0 2 vornex"), 7, "ROOT0 4");
    Write(moved);
    start = CallCount();
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_EQ(OpenPort(), 4u);
    EXPECT_EQ(CachedPort(), 4u);
    bool searched = false;
    for (size_t i = start; i < CallCount(); i++) searched |= UsbSimCalls()[i].target == "\\\\.\\HCD0";
    EXPECT_TRUE(searched);
    CloseDevice();

    // Unplugged: nothing is found and the cache is left empty.
    moved.erase(moved.find("port ROOT0 4"), moved.find("reg 6") - moved.find("port ROOT0 4"));
    Write(moved);
    EXPECT_EQ(OpenDevice(1), 0);
    EXPECT_STREQ(CachedHubPath(), "");
    EXPECT_EQ(CachedPort(), 0u);
}

TEST_F(DeviceTest, DescriptionMustMatchExactly) {
    struct Case {
        const char* description;
        int found;
    } cases[] = {
        {"Kelvara Vornex USB",        1},
        {"Kelvara Vornex Pro",        1},
        {"Kelvara Vornex USB Device", 1},
        {"Kelvara Vornex Pro Device", 1},
        {"Kelvara Vornex USB Audio",  0},
        {"kelvara vornex usb",        0},
        {"Kelvara Vornex",            0},
    };
    for (const Case& c : cases) {
        ResetDeviceForTest();
        Write(std::string("hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
                          "port ROOT0 1 vornex {media}\\0001 ") +
              c.description + "\n");
        EXPECT_EQ(OpenDevice(1), c.found) << c.description;
        CloseDevice();
    }
}

TEST_F(DeviceTest, NamesOverTheLimitFailAndLongPathsAreNotCached) {
    // A hub name of 254 characters converts within 255 bytes but is too long to cache; one of
    // 255 characters does not convert, so the device behind it is not found.
    for (int length : {254, 255}) {
        ResetDeviceForTest();
        std::string hub(size_t(length), 'H');
        Write(
            "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
            "hub " +
            hub +
            " 2 {hub}\\0001 Generic USB Hub\n"
            "port ROOT0 1 hub " +
            hub +
            "\n"
            "port " +
            hub + " 2 vornex {media}\\0001 Kelvara Vornex USB\n");
        EXPECT_EQ(OpenDevice(1), length == 254 ? 1 : 0) << length;
        EXPECT_STREQ(CachedHubPath(), "");
        CloseDevice();
    }
}

TEST_F(DeviceTest, LoopedAndOversizedHubsStillEndTheSearch) {
    // Ports of EXT lead back to EXT and to the root hub, and the root hub claims far more ports
    // than a hub can have: the host keeps one place per hub and at most 255 ports.
    std::string text =
        "hcd 0 ROOT0\nhub ROOT0 2000000000 {hub}\\0000 USB Root Hub\n"
        "hub EXT 8 {hub}\\0001 Generic USB Hub\nport ROOT0 1 hub EXT\n";
    for (int port = 1; port <= 8; port++)
        text += "port EXT " + std::to_string(port) + (port % 2 ? " hub EXT\n" : " hub ROOT0\n");
    text += "port ROOT0 2 vornex {media}\\0007 Kelvara Vornex USB\n";
    Write(text);
    EXPECT_EQ(Model().hubs[0].ports, 255);
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_STREQ(CachedHubPath(), "\\\\.\\ROOT0");
    EXPECT_EQ(CachedPort(), 2u);
}

// The search follows a chain of eight hubs behind the root hub, and no deeper: a longer chain
// can only be a topology that loops.
TEST_F(DeviceTest, TheSearchReachesEightHubsDownAndNoFurther) {
    for (int hubs : {8, 9}) {
        std::string text = "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n";
        std::string above = "ROOT0";
        for (int h = 1; h <= hubs; ++h) {
            std::string name = "H" + std::to_string(h);
            text += "hub " + name + " 2 {hub}\\000" + std::to_string(h % 10) + " Generic USB Hub\n";
            text += "port " + above + " 2 hub " + name + "\n";
            above = name;
        }
        text += "port " + above + " 1 vornex {media}\\0007 Kelvara Vornex USB\n";
        Write(text);
        EXPECT_EQ(OpenDevice(1), hubs == 8 ? 1 : 0) << hubs;
        CloseDevice();
    }
}

TEST_F(DeviceTest, NothingWithoutTheConfigurationManager) {
    std::ofstream(path) << SIMPLE << "cfgmgr missing\n";
    EXPECT_EQ(LoadDeviceManager(), 0);
    size_t start = CallCount();
    EXPECT_EQ(OpenDevice(1), 0);
    EXPECT_EQ(CallCount(), start);
}

TEST_F(DeviceTest, RequestBlocksAndReplies) {
    Write(SIMPLE);
    ASSERT_EQ(OpenDevice(1), 1);
    size_t start = CallCount();
    uint32_t v = 0;
    ASSERT_EQ(ReadRegister(REG_INPUT_LOCK, &v), 1);
    EXPECT_EQ(v, 5u);
    ASSERT_EQ(ReadRegister(REG_POWER, &v), 1);
    EXPECT_EQ(v, 0x32u);
    ASSERT_EQ(WriteRegister(REG_INPUT_SELECT, 1), 1);
    ASSERT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 1);
    EXPECT_EQ(v, 1u) << "the write reached the device";
    uint8_t status[4];
    ASSERT_EQ(ReadInputStatus(status), 1);
    EXPECT_EQ(std::vector<uint8_t>(status, status + 4), (std::vector<uint8_t>{4, 128, 0, 2}));
    const uint8_t saved[4] = {0, 150, 0, 0x81};
    ASSERT_EQ(WriteOutputStatus(saved), 1);

    // Port, 0, 0, wValue (index, type), wIndex, wLength 24, then 24 zero bytes. Spelled out byte
    // by byte rather than from device_protocol.h, which the simulator shares: a wrong number
    // there would otherwise pass on both sides.
    const uint8_t headers[][12] = {
        {2, 0, 0, 0, 0, 0, 7, 0x10, 0,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 8, 0x10, 0,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 6, 0x10, 1,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 6, 0x10, 0,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 0, 0x14, 0,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 0, 0x16, 0,    0, 24, 0},
        {2, 0, 0, 0, 0, 0, 0, 0x16, 150,  1, 24, 0},
        {2, 0, 0, 0, 0, 0, 0, 0x16, 0,    2, 24, 0},
        {2, 0, 0, 0, 0, 0, 0, 0x16, 0x81, 3, 24, 0},
    };
    ASSERT_EQ(CallCount() - start, sizeof headers / sizeof headers[0]);
    for (size_t i = 0; i < sizeof headers / sizeof headers[0]; i++) {
        const SimCall& call = UsbSimCalls()[start + i];
        EXPECT_EQ(call.code, IOCTL_DESCRIPTOR_REQUEST);
        std::vector<uint8_t> expected(headers[i], headers[i] + 12);
        expected.resize(36, 0);
        EXPECT_EQ(call.in, expected) << "request " << i;
    }
    EXPECT_EQ(Model().wrote, (std::vector<std::string>{"reg 6 1", "out 0 0", "out 1 150", "out 2 0", "out 3 129"}));
}

TEST_F(DeviceTest, ArgumentsOutsideTheRegisterTableSendNothing) {
    Write(SIMPLE);
    ASSERT_EQ(OpenDevice(1), 1);
    size_t start = CallCount();
    uint32_t v = 0;
    EXPECT_EQ(ReadRegister(5, &v), 0);
    EXPECT_EQ(WriteRegister(REG_INPUT_LOCK, 1), 0);
    EXPECT_EQ(WriteRegister(REG_POWER, 256), 0);
    EXPECT_EQ(CallCount(), start);
    CloseDevice();
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 0);
    EXPECT_EQ(CallCount(), start);
}

TEST_F(DeviceTest, FailedControlCallDropsTheConnection) {
    Write(std::string(SIMPLE) + "fault read7 fail\n");
    ASSERT_EQ(OpenDevice(1), 1);
    uint32_t v = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_LOCK, &v), 0);
    EXPECT_EQ(OpenPort(), 0u);
    EXPECT_EQ(UsbSimOpenHandles(), 0) << "the hub is released at once";
    size_t start = CallCount();
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 0);
    uint8_t status[4] = {1, 1, 1, 1};
    EXPECT_EQ(WriteOutputStatus(status), 0);
    EXPECT_EQ(CallCount(), start) << "later requests fail without a call";
    ASSERT_EQ(OpenDevice(1), 1);
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 1);
}

TEST_F(DeviceTest, ReplyLengthOutsideFourToTwentyFourFailsButKeepsTheConnection) {
    struct Case {
        int replyBytes;
        int ok;
    } cases[] = {
        {3,  0},
        {4,  1},
        {24, 1},
        {25, 0}
    };
    for (const Case& c : cases) {
        ResetDeviceForTest();
        Write(std::string(SIMPLE) + "fault status reply " + std::to_string(c.replyBytes) + "\n");
        ASSERT_EQ(OpenDevice(1), 1);
        uint8_t status[4];
        EXPECT_EQ(ReadInputStatus(status), c.ok) << c.replyBytes;
        uint32_t v = 0;
        EXPECT_EQ(ReadRegister(REG_INPUT_LOCK, &v), 1) << "still connected after " << c.replyBytes;
        CloseDevice();
    }
}

TEST_F(DeviceTest, OutputStatusStopsAtTheFirstFailure) {
    Write(std::string(SIMPLE) + "fault out1 fail\n");
    ASSERT_EQ(OpenDevice(1), 1);
    const uint8_t block[4] = {0, 150, 0, 0};
    EXPECT_EQ(WriteOutputStatus(block), 0);
    EXPECT_EQ(Model().wrote, (std::vector<std::string>{"out 0 0"}));
}

TEST(WaveDevice, PrefixMatchInIndexOrder) {
    struct Case {
        std::vector<const char*> names;
        int index;
    } cases[] = {
        {{"PulseAudio", "Kelvara Vornex USB 2", "Kelvara Vornex Pro"}, 1               },
        {{"Kelvara Vornex", "Monitor of Kelvara Vornex USB"},          WAVE_DEVICE_NONE},
        {{"PulseAudio", "Kelvara Vornex Pro"},                         1               },
        {{"kelvara vornex usb"},                                       WAVE_DEVICE_NONE},
        {{},                                                           WAVE_DEVICE_NONE},
    };
    for (const Case& c : cases) {
        for (int output : {0, 1}) {
            SetFakeWaveDevices(output, c.names.data(), int(c.names.size()));
            int index = 7, count = 7;
            EXPECT_EQ(FindWaveDevice(output, &index, &count), 1);
            EXPECT_EQ(index, c.index);
            EXPECT_EQ(count, int(c.names.size()));
        }
    }
    int index = 7, count = 7;
    EXPECT_EQ(FindWaveDevice(2, &index, &count), 0);
    EXPECT_EQ(index, WAVE_DEVICE_NONE);
    EXPECT_EQ(count, 0);
}

}  // namespace
