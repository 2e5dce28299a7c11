// The Vornex device: found among the wave devices and on the USB bus, and controlled through
// the hub interface's vendor requests (input selection, digital-input lock, power mode and the
// four channel-status bytes of the digital interface).
//
// Every user works in a short burst on the GUI thread: OpenDevice, one to four requests,
// CloseDevice. One connection per process; all operations return 1 for success, 0 for failure.
#pragma once
#include <cstdint>

#include "hardware/device_protocol.h"

enum {
    WAVE_DEVICE_NONE = -1,     // "no device": all bits set, also the system's wave mapper id
    CHANNEL_STATUS_BYTES = 4,  // ChannelStatus: the first four channel-status bytes
    DEVICE_NUMBER = 1,         // the only device number the deck passes to OpenDevice
};

// The registers reached through ReadRegister / WriteRegister (REG_*) and their values are in
// device_protocol.h.

// Searches the wave-input (output = 0) or wave-output (output = 1) devices, in index order, for
// the first whose name begins with "Kelvara Vornex USB" or "Kelvara Vornex Pro". countOut
// receives the number of devices of that direction (0: none at all), indexOut the matching
// device's index or WAVE_DEVICE_NONE. Returns 1 for either direction even when nothing
// matched; 0 only for another direction value. Callers test countOut and indexOut.
int FindWaveDevice(int output, int* indexOut, int* countOut);

// The configuration manager ("cfgmgr32.dll"), loaded once at start-up and kept loaded.
// LoadDeviceManager returns 0 only when the library cannot be loaded.
int LoadDeviceManager();
void FreeDeviceManager();

// Finds the device on the bus (quick reopen from the cached hub and port, else a full search of
// host controllers 0..9) and keeps its hub open. 0 when the manager is not loaded or the device
// is not attached.
int OpenDevice(int deviceNumber);
int CloseDevice();  // always 1

// Requests. Each fails at once when the device is not open. A request whose control call fails
// drops the connection (the next requests fail until the next OpenDevice); a reply of fewer
// than 4 or more than 24 bytes fails the request but keeps the connection.
int ReadRegister(int reg, uint32_t* valueOut);  // registers 6, 7, 8
int WriteRegister(int reg, uint32_t value);     // registers 6 and 8, value 0..255
int ReadInputStatus(uint8_t statusOut[CHANNEL_STATUS_BYTES]);
// Four requests, byte 0 first; the first failure ends it with 0 (later bytes are not sent).
int WriteOutputStatus(const uint8_t status[CHANNEL_STATUS_BYTES]);

// Register values in the deck's terms.
int InputSelFromStatus(uint32_t reg6);     // 1 = IN1, 0 = IN2
uint32_t RateFromLockCode(uint32_t reg7);  // 48000, 44100 or 32000; 44100 when unlocked
int IsLockCode(uint32_t reg7);             // 1 when the digital input is locked

// The record sample rate the device reports, and the one before it (Hz). Both 44100 until the
// device has been read. SetRecordRate moves the current rate to the previous one.
uint32_t GetRecordRate();
uint32_t GetPrevRecordRate();
void SetRecordRate(uint32_t rate);
void SetRecordRates(uint32_t rate, uint32_t prevRate);

// Engine start-up's device step: writes the saved output channel status 0, 150, 0, 0, reads
// the input selection and the digital-input lock and rate, and sets InputSel and the record
// rates. Returns 0 on success (also when the device is absent: the deck runs without it, on
// IN1 at 44100 Hz), or the start-up error number (30: input selection unreadable, 12: lock and
// rate unreadable).
int InitDeviceStatus();

// Tests: the connection and cache back to their start values (the manager stays as it is).
void ResetDeviceForTest();
// Tests and diagnostics: the cached hub path ("" before a full search found the device) and port.
const char* CachedHubPath();
uint32_t CachedPort();
uint32_t OpenPort();  // the port of the open connection, 0 when closed
