// The Windows transport under Wine: the system's interface finds nothing and says so quietly,
// and a state file named with a Unix path in QD_USB_SIM switches to the simulated host.
#include "hardware/device.h"
#include "hardware/usb_sim.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

TEST(DeviceWin32, SystemInterfaceWithoutControllersFindsNothing) {
    UsbSimResetForTest();
    UsbSimSetStateFile("");  // the real interface
    ResetDeviceForTest();
    ASSERT_EQ(LoadDeviceManager(), 1);
    EXPECT_EQ(OpenDevice(1), 0);
    uint32_t v = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_SELECT, &v), 0);
    FreeDeviceManager();
}

TEST(DeviceWin32, UnixStatePathFromTheEnvironment) {
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/qd_usb_win_%lu.txt", GetCurrentProcessId());
    std::string windowsPath = std::string("Z:") + name;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    FILE* f = std::fopen(windowsPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(
        "hcd 3 ROOT3\nhub ROOT3 2 {hub}\\0000 USB Root Hub\n"
        "port ROOT3 2 vornex {media}\\0001 Kelvara Vornex USB\nreg 7 6\n",
        f);
    std::fclose(f);

    UsbSimResetForTest();
    ResetDeviceForTest();
    _putenv_s(USB_SIM_ENV, name);
    ASSERT_EQ(LoadDeviceManager(), 1);
    ASSERT_EQ(OpenDevice(1), 1);
    uint32_t v = 0;
    EXPECT_EQ(ReadRegister(REG_INPUT_LOCK, &v), 1);
    EXPECT_EQ(v, 6u);
    const uint8_t block[4] = {0, 150, 0, 0};
    EXPECT_EQ(WriteOutputStatus(block), 1);
    CloseDevice();
    FreeDeviceManager();
    _putenv_s(USB_SIM_ENV, "");

    SimModel m;
    ASSERT_EQ(LoadSimFile(windowsPath.c_str(), &m), 1);
    EXPECT_EQ(m.wrote.size(), 4u);
    std::remove(windowsPath.c_str());
}
