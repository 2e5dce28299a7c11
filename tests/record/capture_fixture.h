// The capture world of the recorder's tests: the fake wave-in device with the named device among
// others, the simulated USB device, the real deck, writers and player behind the capture ring, a
// scratch folder, and time running in 10 ms timer steps.
#pragma once
#include <gtest/gtest.h>

#include "playback/mci_windows.h"

#include <cstring>
#include <fstream>

#include "base/clock.h"
#include "base/message_box.h"
#include "deck/deck.h"
#include "hardware/device.h"
#include "hardware/usb_sim.h"
#include "hardware/wave_devices.h"
#include "playback/mpeg_libraries.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/record_disk.h"
#include "record/record_writer.h"
#include "record/recorder_window.h"
#include "record/wave_in.h"
#include "record_test_util.h"
#include "settings/settings.h"

namespace {
const char* const DEVICES[] = {"PulseAudio", "Kelvara Vornex USB", "Monitor of Kelvara Vornex USB"};
const char TOPOLOGY[] =
    "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex USB\n";

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCaptureForTest();
        ResetRecordWriterForTest();
        ResetFakeWaveIn();
        ResetSettingsForTest();
        ResetDeckState();
        ResetPlaylistForTest();
        ResetMessages();
        SetFakeDiskSpace(0, 0);
        SetFakeTickCount(1000);
        SetFakeWaveDevices(0, DEVICES, 3);
        SetFakeWaveDevices(1, DEVICES, 2);  // the player needs an output to cue the recording
        SetFakeWaveInSignal(FAKE_WAVE_IN_COUNTER, 0, 0);
        Settings().recAutoRecording = 0;
        LoadMpegLibraries();
        CreatePlaybackWindows(nullptr, nullptr);  // a finished recording is cued in the player
        folder = ScratchFolder("capture");
        path = folder + "/S-001.WAV";
        UseDevice("reg 6 1\nreg 7 6\ninput 1 2 3 4\n");
    }
    void TearDown() override {
        DestroyPlaybackWindows();
        ResetCaptureForTest();
        ResetRecordWriterForTest();
        SetFakeDiskSpace(0, 0);
        UsbSimResetForTest();
        std::system(("rm -rf " + folder).c_str());
    }
    // The simulated device with these registers ("" = no device on the bus).
    void UseDevice(const std::string& state) {
        simFile = folder + "/usb.sim";
        std::ofstream(simFile) << (state.empty() ? std::string("hcd 0 ROOT0\n") : TOPOLOGY + state);
        UsbSimResetForTest();
        UsbSimSetStateFile(simFile.c_str());
        ResetDeviceForTest();
        LoadDeviceManager();
    }
    // Record standby into path, as the deck prepares it; the capture's answer.
    int Standby(uint16_t kind = RECORD_KIND_PCM, uint32_t rate = 44100, uint32_t kbps = 0, uint16_t channels = 2) {
        RecordFormat f{kind, 1, channels, rate, 16, kbps};
        EXPECT_EQ(SetRecordFormat(f), 1);
        EXPECT_EQ(SetRecordTarget(path.c_str()), 1);
        if (!PrepareCapture(1)) return 0;
        Deck().deckSide = DECK_SIDE_RECORDER;
        Deck().deckState = RecStandby;
        return 1;
    }
    // Record standby and Play.
    void StartRecording(uint16_t kind = RECORD_KIND_PCM, uint32_t rate = 44100, uint32_t kbps = 0,
                        uint16_t channels = 2) {
        ASSERT_EQ(Standby(kind, rate, kbps, channels), 1);
        EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
        ASSERT_EQ(StartPlay(), 1);
        ASSERT_EQ(Deck().deckState, Recording);
    }
    // Time passes in 10 ms timer steps; the device fills a buffer every 100 ms.
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            AdvanceFakeWaveIn(10);
            CaptureStep();
        }
    }
    int MessagesWithText(const char* text) {
        int n = 0;
        for (int i = 0; i < RecordedMessageCount(); ++i)
            n += RecordedMessageAt(i)->stringId == 0 && std::strcmp(RecordedMessageAt(i)->fileName, text) == 0;
        return n;
    }
    int MessagesWithId(int id) {
        int n = 0;
        for (int i = 0; i < RecordedMessageCount(); ++i) n += RecordedMessageAt(i)->stringId == id;
        return n;
    }
    std::string folder, path, simFile;
};
}  // namespace
