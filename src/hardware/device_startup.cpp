// The engine start-up's device step: the digital output starts with the saved channel status,
// and the deck takes its input selection and record rate from the device when it answers.
#include "hardware/device.h"
#include "settings/settings.h"

namespace {
// Saved output channel status: what the digital output carries while nothing plays.
const uint8_t SAVED_OUTPUT_STATUS[CHANNEL_STATUS_BYTES] = {0, 150, 0, 0};
enum { ERROR_INPUT_SELECT = 30, ERROR_INPUT_LOCK = 12 };
}  // namespace

int InitDeviceStatus() {
    if (!OpenDevice(DEVICE_NUMBER)) {
        Settings().recordInput = INPUT_IN1;
        SetRecordRates(44100, 44100);
        return 0;
    }
    // A failed status write is not a start-up error; the reads below decide.
    WriteOutputStatus(SAVED_OUTPUT_STATUS);
    uint32_t input = 0, lock = 0;
    if (!ReadRegister(REG_INPUT_SELECT, &input)) {
        CloseDevice();
        return ERROR_INPUT_SELECT;
    }
    if (!ReadRegister(REG_INPUT_LOCK, &lock)) {
        CloseDevice();
        return ERROR_INPUT_LOCK;
    }
    CloseDevice();
    Settings().recordInput = uint32_t(InputSelFromStatus(input));
    uint32_t rate = RateFromLockCode(lock);
    SetRecordRates(rate, rate);
    return 0;
}
