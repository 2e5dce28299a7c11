// Pop-up menu items: their check marks and actions over the settings.
#include "app/deck_menu.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "base/message_box.h"
#include "base/shell_handles.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "deck/record_naming.h"
#include "record/auto_record.h"
#include "record/timer_slots.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
const BitrateItem BITRATES[] = {
  // id           layer rate
    {MENU_L1_128, 0, 128},
    {MENU_L1_192, 0, 192},
    {MENU_L1_224, 0, 224},
    {MENU_L1_256, 0, 256},
    {MENU_L1_320, 0, 320},
    {MENU_L1_384, 0, 384},
    {MENU_L1_448, 0, 448},
    {MENU_L2_96,  1, 96 },
    {MENU_L2_128, 1, 128},
    {MENU_L2_160, 1, 160},
    {MENU_L2_192, 1, 192},
    {MENU_L2_256, 1, 256},
    {MENU_L2_320, 1, 320},
    {MENU_L2_384, 1, 384},
    {MENU_L3_64,  2, 64 },
    {MENU_L3_96,  2, 96 },
    {MENU_L3_112, 2, 112},
    {MENU_L3_128, 2, 128},
    {MENU_L3_160, 2, 160},
    {MENU_L3_256, 2, 256},
    {MENU_L3_320, 2, 320},
};

uint32_t& LayerRate(int layer) {
    EngineSettings& s = Settings();
    return layer == 0 ? s.mpegBitrate : layer == 1 ? s.mp2Bitrate : s.mp3Bitrate;
}

void AskForMakerPage() {
    int answer = ShowDeckMessage(STR_GO_TO_WEB_PAGE, nullptr, JOIN_NONE, MSGBOX_YESNO | MSGBOX_ICONINFORMATION);
    if (answer == MSGBOX_ANSWER_YES) OpenMakerPage();
}
}  // namespace

const BitrateItem* FindBitrateItem(int id) {
    for (const BitrateItem& b : BITRATES)
        if (b.id == id) return &b;
    return nullptr;
}

void SetBitrate(int layer, uint32_t rateKbps) {
    if (layer < 0 || layer > 2) return;
    uint32_t& stored = LayerRate(layer);
    if (stored == rateKbps) return;
    stored = rateKbps;
    if (Settings().recordFormat == (uint32_t)(RECORD_FORMAT_MP1 + layer) && Deck().deckState == RecStandby) {
        StopKey();
        EnterRecStandby();
    }
}

void MenuItemState(int id, int32_t shownState, int* checkedOut, int* grayedOut) {
    const EngineSettings& s = Settings();
    const LayoutSettings& l = Layout();
    *checkedOut = 0;
    *grayedOut = 0;
    if (const BitrateItem* b = FindBitrateItem(id)) {
        *checkedOut = LayerRate(b->layer) == b->rate;
        return;
    }
    int32_t power = DeckTickState().powerMode;
    switch (id) {
    case MENU_POWER_OFF:
        *checkedOut = power == POWER_MODE_OFF;
        *grayedOut = shownState == Playing || shownState == Paused || IsRecordingShownState(shownState);
        break;
    case MENU_POWER_ON: *checkedOut = power == POWER_MODE_ON; break;
    case MENU_AUTO_POWER_ON: *checkedOut = power == POWER_MODE_AUTO; break;
    case MENU_DOUBLE_SIZE: *checkedOut = l.mag == 2; break;
    case MENU_ALWAYS_ON_TOP: *checkedOut = l.top == 1; break;
    case MENU_SPACE_NONE: *checkedOut = s.playSpace == 0; break;
    case MENU_SPACE_MD: *checkedOut = s.playSpace == 1; break;
    case MENU_SPACE_DAT: *checkedOut = s.playSpace == 2; break;
    case MENU_TIME_LEFT: *checkedOut = s.timerMode == TIMER_MODE_LEFT; break;
    case MENU_TIME_ELAPSED: *checkedOut = s.timerMode != TIMER_MODE_LEFT; break;
    case MENU_MAX_VOLUME: *checkedOut = l.maxVolume == 1; break;
    }
}

int RunMenuItem(int id) {
    if (id < MENU_FIRST_ITEM || id > MENU_LAST_ITEM) return 0;
    if (const BitrateItem* b = FindBitrateItem(id)) {
        SetBitrate(b->layer, b->rate);
        return 1;
    }
    EngineSettings& s = Settings();
    LayoutSettings& l = Layout();
    switch (id) {
    case MENU_POWER_OFF: SetPowerMode(POWER_MODE_OFF); break;
    case MENU_POWER_ON: SetPowerMode(POWER_MODE_ON); break;
    case MENU_AUTO_POWER_ON: SetPowerMode(POWER_MODE_AUTO); break;
    case MENU_DOUBLE_SIZE:
        l.mag = l.mag == 2 ? 1 : 2;
        ApplyFaceSize();
        break;
    case MENU_ALWAYS_ON_TOP:
        l.top = l.top == 1 ? 0 : 1;
        ApplyTopmost();
        break;
    case MENU_SPACE_NONE: s.playSpace = 0; break;
    case MENU_SPACE_MD: s.playSpace = 1; break;
    case MENU_SPACE_DAT: s.playSpace = 2; break;
    case MENU_TIME_LEFT: s.timerMode = TIMER_MODE_LEFT; break;
    case MENU_TIME_ELAPSED: s.timerMode = TIMER_MODE_ELAPSED; break;
    case MENU_RECORD_FILE_NAME: ChooseRecordFile(); break;
    case MENU_MAX_VOLUME: l.maxVolume = l.maxVolume == 1 ? 0 : 1; break;
    case MENU_WEB_INFORMATION: AskForMakerPage(); break;
    case MENU_VERSION_INFORMATION: ShowAboutBox(); break;
    case MENU_AUTO_RECORDING: AutoRecordingCommand(MainWindowHandle()); break;
    case MENU_TIMER_SETTING: TimerSettingCommand(MainWindowHandle()); break;
    }
    return 1;
}
