// The input keys (IN1, IN2): the selection goes to the device and is read back from it; a record
// file already prepared is prepared again so the recording takes the new input.
#include "deck/deck.h"
#include "deck/record_naming.h"
#include "display/face_setters.h"
#include "hardware/device.h"
#include "settings/settings.h"

int SelectInput(int inputSel) {
    DeckVars& v = Deck();
    if (v.deckState == RecPause) return 1;
    if (!OpenDevice(DEVICE_NUMBER)) return 1;
    uint32_t& sel = Settings().recordInput;
    sel = inputSel == INPUT_IN1 ? INPUT_IN1 : INPUT_IN2;
    uint32_t status = 0;
    int ok = WriteRegister(REG_INPUT_SELECT, sel == INPUT_IN1 ? 1 : 2);
    if (ok) ok = ReadRegister(REG_INPUT_SELECT, &status);
    if (ok) sel = (uint32_t)InputSelFromStatus(status);
    CloseDevice();
    v.deviceReadRequest = 1;
    ShowInputSelect(sel);
    if (!ok) return 0;
    // The prepared file was armed on the old input: prepare a new one.
    if (RecordFileIsPrepared()) {
        StopKey();
        EnterRecStandby();
    }
    return 1;
}
