// The deck's start-up with the simulated Vornex device under Wine: the saved output status
// reaches the device, an unreadable input selection stops the start with error 30, the deck
// runs without the device, and without any sound server the start fails with error 1.
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "hardware/usb_sim.h"
#include <gtest/gtest.h>
#include "tool_skip.h"
#include <sys/stat.h>
#include <fstream>

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::SETTINGS_KEY;
using e2e::START_MS;
const int EXIT_MS = e2e::WAIT_MS;

const char TOPOLOGY[] =
    "hcd 0 ROOT0\n"
    "hub ROOT0 4 {36fc9e60-c465-11cf-8056-444553540000}\\0000 USB Root Hub\n"
    "hub EXT 4 {36fc9e60-c465-11cf-8056-444553540000}\\0001 Generic USB Hub\n"
    "port ROOT0 3 hub EXT\n";
const char DEVICE[] = "port EXT 2 vornex {4d36e96c-e325-11ce-bfc1-08002be10318}\\0000 Kelvara Vornex USB\n";

class DeckDevice : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
    }
    void TearDown() override {
        for (pid_t p : started) StopProcess(p);
        StopRig(&rig);
    }
    // Starts the rig and the deck with a simulated host holding `state`.
    void Start(const std::string& state, bool pulse = true) {
        RigOptions options;
        options.pulse = pulse;
        if (!rig.started) {
            ASSERT_TRUE(StartRig(&rig, options));
        }
        simFile = rig.dir + "/usb-host.txt";
        std::ofstream(simFile) << state;
        started.push_back(StartDeck(rig, {}, {std::string(USB_SIM_ENV) + "=" + simFile}));
    }
    std::vector<std::string> Received() {
        SimModel m;
        LoadSimFile(simFile.c_str(), &m);
        return m.wrote;
    }
    // The window shows while the start-up still runs, so what the device gets is waited for.
    std::vector<std::string> WaitReceived(size_t count, int timeoutMs) {
        std::vector<std::string> received;
        e2e::WaitUntil([&] { return (received = Received()).size() >= count; }, timeoutMs);
        return received;
    }
    void ExpectStartError(const std::string& errorText) {
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "Fail to initialize.", START_MS, &box));
        ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
        ASSERT_TRUE(WaitForMessageBox(rig, "CheckDialog", errorText, EXIT_MS, &box));
        ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
        int code = -1;
        ASSERT_TRUE(WaitExit(started.back(), EXIT_MS, &code));
        EXPECT_EQ(1, code);
    }
    void CloseDeck() {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        ASSERT_TRUE(WaitExit(started.back(), EXIT_MS, &code));
        EXPECT_EQ(0, code);
    }
    Rig rig;
    std::string simFile;
    std::vector<pid_t> started;
};

TEST_F(DeckDevice, LockedDeviceOnIn2GetsTheSavedOutputStatus) {
    // The settings start on IN1 (the key made beforehand, as an installer would, so it persists).
    ASSERT_TRUE(StartRig(&rig));
    ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY, {{"RecordInput", "REG_DWORD", "1"}}));
    Start(std::string(TOPOLOGY) + DEVICE + "reg 6 2\nreg 7 5\n");
    ASSERT_TRUE(WaitForWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    std::vector<std::string> received = WaitReceived(4, START_MS);
    ASSERT_GE(received.size(), 4u) << ReadTextFile(simFile);
    EXPECT_EQ(std::vector<std::string>(received.begin(), received.begin() + 4),
              (std::vector<std::string>{"out 0 0", "out 1 150", "out 2 0", "out 3 0"}));
    CloseDeck();
    // The deck took IN2 from the device and keeps it in its settings.
    std::string input;
    ASSERT_TRUE(ReadRegistryValue(rig, SETTINGS_KEY, "RecordInput", &input));
    EXPECT_EQ("0x0", input);
}

TEST_F(DeckDevice, UnreadableInputSelectionStopsTheStartWithError30) {
    Start(std::string(TOPOLOGY) + DEVICE + "reg 6 2\nreg 7 5\nfault read6 fail\n");
    ExpectStartError("Error No30");
}

TEST_F(DeckDevice, DeckRunsWithoutTheDevice) {
    Start(TOPOLOGY);
    ASSERT_TRUE(WaitForWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    CloseDeck();  // exit code 0: the start-up went through
    EXPECT_TRUE(Received().empty());
}

TEST_F(DeckDevice, WithoutSoundServerTheStartFailsWithError1) {
    Start(std::string(TOPOLOGY) + DEVICE, false);
    ExpectStartError("Error No1");
    EXPECT_TRUE(Received().empty()) << "the start stopped before the device was touched";
}

}  // namespace
