// Every registry value of the settings store, in the order the load and save steps read and write
// them. The built-in column differs from the defaults where the deck starts from zero when the key
// cannot be opened at all (window places, the record rate, channels and bits).
#include "settings/settings_table.h"

#include "settings/settings.h"

#define ENGINE_AT(field) (uint16_t) offsetof(EngineSettings, field)
#define LAYOUT_AT(field) (uint16_t) offsetof(LayoutSettings, field)

namespace {
const SettingRow SETTINGS_ROWS[] = {
  // name, kind, group, home, slot, default when missing, built-in when the key cannot be opened
    {"RecFileName",      SETTING_STRING, GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recFileName),      0,     0  },
    {"SelectDir",        SETTING_STRING, GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(selectDir),        0,     0  },
    {"RecordInput",      SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recordInput),      0,     0  },
    {"RecordFormat",     SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recordFormat),     0,     0  },
    {"RecordFrequency",  SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recordFrequency),  44100, 0  },
    {"RecordChannel",    SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recordChannel),    2,     0  },
    {"RecordBps",        SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recordBps),        16,    0  },
    {"TimerMode",        SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(timerMode),        0,     0  },
    {"MpegBitrate",      SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(mpegBitrate),      256,   256},
    {"Mp2Bitrate",       SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(mp2Bitrate),       192,   192},
    {"Mp3Bitrate",       SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(mp3Bitrate),       128,   128},
    {"RecLimit",         SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recLimit),         0,     0  },
    {"RecAutoRecording", SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(recAutoRecording), 1,     1  },
    {"PlaySpace",        SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(playSpace),        1,     1  },
    {"Repeat",           SETTING_DWORD,  GROUP_ENGINE, HOME_ENGINE, ENGINE_AT(repeat),           0,     0  },
    {"AutoLevel",        SETTING_WORD,   GROUP_ENGINE, HOME_AUTO,   0,                           0,     0  },
    {"AutoStart",        SETTING_WORD,   GROUP_ENGINE, HOME_AUTO,   1,                           0,     0  },
    {"AutoStop",         SETTING_WORD,   GROUP_ENGINE, HOME_AUTO,   2,                           0,     0  },
    {"TimerHour0",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  0,                           0,     0  },
    {"TimerHour1",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  1,                           0,     0  },
    {"TimerHour2",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  2,                           0,     0  },
    {"TimerHour3",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  3,                           0,     0  },
    {"TimerHour4",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  4,                           0,     0  },
    {"TimerHour5",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  5,                           0,     0  },
    {"TimerMinute0",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  6,                           0,     0  },
    {"TimerMinute1",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  7,                           0,     0  },
    {"TimerMinute2",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  8,                           0,     0  },
    {"TimerMinute3",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  9,                           0,     0  },
    {"TimerMinute4",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  10,                          0,     0  },
    {"TimerMinute5",     SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  11,                          0,     0  },
    {"TimerMode0",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  12,                          0,     0  },
    {"TimerMode1",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  13,                          0,     0  },
    {"TimerMode2",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  14,                          0,     0  },
    {"TimerMode3",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  15,                          0,     0  },
    {"TimerMode4",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  16,                          0,     0  },
    {"TimerMode5",       SETTING_WORD,   GROUP_ENGINE, HOME_TIMER,  17,                          0,     0  },
    {"LastYear",         SETTING_WORD,   GROUP_ENGINE, HOME_DATE,   0,                           0,     0  },
    {"LastMonth",        SETTING_WORD,   GROUP_ENGINE, HOME_DATE,   1,                           0,     0  },
    {"LastDay",          SETTING_WORD,   GROUP_ENGINE, HOME_DATE,   2,                           0,     0  },
    {"Xo",               SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(xo),               16,    0  },
    {"Yo",               SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(yo),               16,    0  },
    {"Xs",               SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(xs),               400,   400},
    {"Ys",               SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(ys),               105,   105},
    {"Mode",             SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(mode),             0,     0  },
    {"Mag",              SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(mag),              1,     1  },
    {"Top",              SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(top),              0,     0  },
    {"Xo_List",          SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(xoList),           16,    0  },
    {"Yo_List",          SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(yoList),           16,    0  },
    {"Xs_List",          SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(xsList),           400,   400},
    {"Ys_List",          SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(ysList),           360,   360},
    {"ColumnNumber",     SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(columnNumber),     56,    56 },
    {"ColumnName",       SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(columnName),       124,   124},
    {"ColumnTime",       SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(columnTime),       56,    56 },
    {"ColumnTitle",      SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(columnTitle),      164,   164},
    {"MaxVolume",        SETTING_DWORD,  GROUP_LAYOUT, HOME_LAYOUT, LAYOUT_AT(maxVolume),        0,     0  },
};
}  // namespace

const SettingRow* SettingsTable(size_t* countOut) {
    *countOut = sizeof SETTINGS_ROWS / sizeof SETTINGS_ROWS[0];
    return SETTINGS_ROWS;
}
