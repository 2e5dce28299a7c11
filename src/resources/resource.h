// Resource ids of the deck: icons, accelerators, menus, command ids and the string table.
// Shared by the resource script and the code; the numbers are the ones the program's windows,
// menus and messages use.
#pragma once

// Icons, accelerators, menus.
#define IDI_DECK              111
#define IDR_DECK_ACCELERATORS 110
#define IDR_DECK_POPUP        154

// Version record.
#define DECK_VERSION_BIN   1, 0, 0, 1
#define DECK_VERSION_TEXT  "1.0.0.1"
#define DECK_VERSION_WTEXT L"1.0.0.1"

// Commands carried by the accelerators (Alt+C, Alt+I, Ctrl+V, Alt+X and the Delete key).
#define CMD_ACCEL_CTRL_V   1
#define CMD_ACCEL_ALT_C    3
#define CMD_ACCEL_ALT_I    4
#define CMD_ACCEL_ALT_X    5
#define CMD_DELETE_ENTRIES 206

// Face buttons; each button's tooltip is the string with the id minus 2000.
#define CMD_CLOSE             2001
#define CMD_SELECT_FILE       2002
#define CMD_LAUNCH_SELECTOR   2003
#define CMD_ICONIZE           2004
#define CMD_FACE_MODE         2005
#define CMD_OPEN_PLAYLIST     2006
#define CMD_FILE_PROPERTY     2007
#define CMD_INPUT_IN1         2008
#define CMD_INPUT_IN2         2009
#define CMD_FORMAT_PCM        2010
#define CMD_FORMAT_MP1        2011
#define CMD_FORMAT_MP2        2012
#define CMD_FORMAT_MP3        2013
#define CMD_MUTE              2014
#define CMD_REPEAT            2015
#define CMD_PLAY              2016
#define CMD_PAUSE             2017
#define CMD_STOP              2018
#define CMD_REWIND            2019
#define CMD_FAST_FORWARD      2020
#define CMD_PREVIOUS          2021
#define CMD_NEXT              2022
#define CMD_RECORD            2023
#define TOOLTIP_STRING_OFFSET 2000

// The face's two slider windows (their tooltips are STR_TIP_VOLUME and STR_TIP_POSITION).
#define IDC_SLIDER_VOLUME   501
#define IDC_SLIDER_POSITION 502

// Timer of the main window.
#define DECK_TIMER_ID 10001
#define DECK_TIMER_MS 100

// String table (ids 1..95).
#define STR_TIP_CLOSE                   1
#define STR_TIP_SELECT_FILE             2
#define STR_TIP_LAUNCH_SELECTOR         3
#define STR_TIP_ICONIZE                 4
#define STR_TIP_FACE_MODE               5
#define STR_TIP_OPEN_PLAYLIST           6
#define STR_TIP_FILE_PROPERTY           7
#define STR_TIP_INPUT_IN1               8
#define STR_TIP_INPUT_IN2               9
#define STR_TIP_FORMAT_PCM              10
#define STR_TIP_FORMAT_MP1              11
#define STR_TIP_FORMAT_MP2              12
#define STR_TIP_FORMAT_MP3              13
#define STR_TIP_MUTE                    14
#define STR_TIP_REPEAT                  15
#define STR_TIP_PLAY                    16
#define STR_TIP_PAUSE                   17
#define STR_TIP_STOP                    18
#define STR_TIP_REWIND                  19
#define STR_TIP_FAST_FORWARD            20
#define STR_TIP_PREVIOUS                21
#define STR_TIP_NEXT                    22
#define STR_TIP_RECORD                  23
#define STR_TIP_VOLUME                  24
#define STR_TIP_POSITION                25
#define STR_TIP_LIST_UP                 26
#define STR_TIP_LIST_DOWN               27
#define STR_TIP_LIST_CLEAR              28
#define STR_TIP_LIST_SAVE               29
#define STR_TIP_LIST_ADD                30
#define STR_TIP_LIST_DELETE             31
#define STR_TIP_LIST_CLOSE              32
#define STR_NO_NAME                     33
#define STR_MAKER_URL                   34
#define STR_GO_TO_WEB_PAGE              35
#define STR_HISTORY                     36
#define STR_NOT_ENOUGH_MEMORY           37
#define STR_CANNOT_ADD_NO_MORE          38
#define STR_READ_ONLY_FILE              39
#define STR_CANNOT_BE_PLAYED            40
#define STR_CANNOT_BE_FOUND             41
#define STR_SAVE_CHANGED_LIST           42
#define STR_TIP_RECORDING               43
#define STR_TIP_START_RECORDING         44
#define STR_COLUMN_NUMBER               45
#define STR_COLUMN_NAME                 46
#define STR_COLUMN_TIME                 47
#define STR_COLUMN_TITLE                48
#define STR_TICKER_FONT                 49
#define STR_SELECT_FILE_TITLE           50
#define STR_SAVE_PLAYLIST_TITLE         51
#define STR_SELECT_FILE_FILTER          52
#define STR_PLAYLIST_FILTER             53
#define STR_PATH_TOO_LONG               54
#define STR_MPEG_CPU_NOTICE             55
#define STR_DISK_FULL                   56
#define STR_NEED_DEVICE                 57
#define STR_MIDI_NO_TITLES              58
#define STR_FAIL_TO_INITIALIZE          59
#define STR_CANNOT_ADD_MORE             60
#define STR_ADD_FILES_TITLE             61
#define STR_OPEN_PLAYLIST_TITLE         62
#define STR_RECORD_FILE_TITLE           63
#define STR_RECORD_FILE_FILTER          64
#define STR_NO_TITLE                    65
#define STR_NO_SHUTDOWN_WHILE_RECORDING 66
#define STR_FORMATS_NOT_SUPPORTED       67
#define STR_CLOSE_AFTER_RECORDING       68
#define STR_LOAD_FILE_FILTER            69
#define STR_LOAD_FILE_TITLE             70
#define STR_SAVE_FILE_FILTER            71
#define STR_SAVE_FILE_TITLE             72
#define STR_WHEN_OPENING_PROGRAM        73
#define STR_UPDATE_SETTINGS             74
#define STR_CREATED                     75
#define STR_NOT_FOUND                   76
#define STR_COULD_NOT_WRITE             77
#define STR_KELVARA_TITLE_FOUND         78
#define STR_TITLE_SOURCES               79
#define STR_TITLE_TOO_LONG              80
#define STR_SELECT_FILE_TO_DIVIDE       81
#define STR_SET_FILE_NAME               82
#define STR_BAD_FILE_SIZE               83
#define STR_DIVIDE_SAME_NAME            84
#define STR_FILE_EXISTS                 85
#define STR_ERROR                       86
#define STR_SET_FILE_NAME_1             87
#define STR_SET_FILE_NAME_2             88
#define STR_NO_INFORMATION              89
#define STR_COMBINE_FORMAT              90
#define STR_COMBINE_CHANNELS            91
#define STR_COMBINE_FREQUENCY           92
#define STR_COMBINE_BITS                93
#define STR_COMBINE_BITRATE             94
#define STR_COMBINE_SAME_NAME           95

// Pop-up menu items.
#define MENU_POWER_OFF           40023
#define MENU_POWER_ON            40024
#define MENU_AUTO_POWER_ON       40025
#define MENU_DOUBLE_SIZE         40001
#define MENU_ALWAYS_ON_TOP       40002
#define MENU_AUTO_RECORDING      40013
#define MENU_TIMER_SETTING       40068
#define MENU_SPACE_NONE          40044
#define MENU_SPACE_MD            40046
#define MENU_SPACE_DAT           40045
#define MENU_TIME_LEFT           40018
#define MENU_TIME_ELAPSED        40019
#define MENU_RECORD_FILE_NAME    40020
#define MENU_MAX_VOLUME          40069
#define MENU_WEB_INFORMATION     40026
#define MENU_VERSION_INFORMATION 40027
#define MENU_L1_128              40057
#define MENU_L1_192              40056
#define MENU_L1_224              40055
#define MENU_L1_256              40054
#define MENU_L1_320              40053
#define MENU_L1_384              40047
#define MENU_L1_448              40048
#define MENU_L2_96               40058
#define MENU_L2_128              40059
#define MENU_L2_160              40060
#define MENU_L2_192              40061
#define MENU_L2_256              40062
#define MENU_L2_320              40049
#define MENU_L2_384              40050
#define MENU_L3_64               40063
#define MENU_L3_96               40064
#define MENU_L3_112              40065
#define MENU_L3_128              40066
#define MENU_L3_160              40067
#define MENU_L3_256              40051
#define MENU_L3_320              40052
#define MENU_FIRST_ITEM          40001
#define MENU_LAST_ITEM           40069

// Recording dialogs: "Timer" (timer slots and the recording limit) and "Auto recording".
#define IDD_TIMER              200
#define IDD_AUTO_RECORDING     201
#define IDC_DIALOG_LABEL       (-1)  // texts the code never addresses
#define IDC_AUTO_OFF           1101
#define IDC_AUTO_START_AND_END 1102
#define IDC_AUTO_START_ONLY    1103
#define IDC_AUTO_LEVEL         1050
#define IDC_AUTO_START_COUNT   1051
#define IDC_AUTO_END_COUNT     1052
#define IDC_AUTO_GROUP         1100
#define IDC_TIMER_ENABLE_1     1043
#define IDC_TIMER_ENABLE_2     1044
#define IDC_TIMER_ENABLE_3     1045
#define IDC_TIMER_ENABLE_4     1046
#define IDC_TIMER_ENABLE_5     1047
#define IDC_TIMER_ENABLE_6     1048
#define IDC_TIMER_ACTION_1     1017
#define IDC_TIMER_ACTION_2     1023
#define IDC_TIMER_ACTION_3     1028
#define IDC_TIMER_ACTION_4     1033
#define IDC_TIMER_ACTION_5     1037
#define IDC_TIMER_ACTION_6     1040
#define IDC_TIMER_TARGET_1     1016
#define IDC_TIMER_TARGET_2     1022
#define IDC_TIMER_TARGET_3     1027
#define IDC_TIMER_TARGET_4     1032
#define IDC_TIMER_TARGET_5     1036
#define IDC_TIMER_TARGET_6     1039
#define IDC_TIMER_HOUR_1       1011
#define IDC_TIMER_HOUR_2       1019
#define IDC_TIMER_HOUR_3       1024
#define IDC_TIMER_HOUR_4       1029
#define IDC_TIMER_MINUTE_1     1084
#define IDC_TIMER_MINUTE_2     1085
#define IDC_TIMER_MINUTE_3     1086
#define IDC_TIMER_MINUTE_4     1087
#define IDC_TIMER_MINUTE_5     1088
#define IDC_TIMER_MINUTE_6     1089
#define IDC_LIMIT_NONE         1102
#define IDC_LIMIT_5_MIN        1103
#define IDC_LIMIT_20_MIN       1104
#define IDC_LIMIT_74_MIN       1105

// Skin bitmaps of the face, the sliders, the playlist keys and the About logo, drawn at build
// time by cli/skingen from src/resources/skin. A name ending in _16 is the 16-colour picture for
// screens of up to 8 bits per pixel; the name without it is the 256-colour one.
#define IDB_FRAME_16             103
#define IDB_FRAME                106
#define IDB_CORNER_16            107
#define IDB_CORNER               108
#define IDB_BADGE_16             112
#define IDB_BADGE                113
#define IDB_NAMEPLATE_16         114
#define IDB_NAMEPLATE            115
#define IDB_TICKER_PANEL_16      118
#define IDB_TICKER_PANEL         119
#define IDB_BTN_SELECT_FILE_16   120
#define IDB_BTN_SELECT_FILE      121
#define IDB_BTN_SELECTOR_16      122
#define IDB_BTN_SELECTOR         123
#define IDB_BTN_WINDOW_16        124
#define IDB_BTN_WINDOW           125
#define IDB_BTN_LIST_16          126
#define IDB_BTN_LIST             127
#define IDB_LABEL_INPUT_16       128
#define IDB_LABEL_INPUT          129
#define IDB_BTN_INPUT_16         132
#define IDB_BTN_INPUT            133
#define IDB_BTN_FORMAT_16        134
#define IDB_BTN_FORMAT           135
#define IDB_BTN_MUTE_16          136
#define IDB_BTN_MUTE             137
#define IDB_BTN_REPEAT_16        138
#define IDB_BTN_REPEAT           139
#define IDB_BTN_TRANSPORT_16     140
#define IDB_BTN_TRANSPORT        141
#define IDB_GROOVE_16            142
#define IDB_GROOVE               143
#define IDB_PANEL_TILES_16       144
#define IDB_PANEL_TILES          145
#define IDB_BTN_CLOSE_16         146
#define IDB_BTN_CLOSE            147
#define IDB_BTN_CLOSE_THIN_16    148
#define IDB_BTN_CLOSE_THIN       149
#define IDB_LABEL_SOURCE_16      150
#define IDB_LABEL_SOURCE         151
#define IDB_THIN_FRAME_16        155
#define IDB_THIN_FRAME           156
#define IDB_RATE_GLYPHS          161
#define IDB_METER_CELLS_16       163
#define IDB_METER_CELLS          164
#define IDB_TIME_DIGITS          165
#define IDB_SLIDER_TRACK         167
#define IDB_SLIDER_THUMB         168
#define IDB_SLIDER_TRACK_16      169
#define IDB_SLIDER_THUMB_16      170
#define IDB_PLAYLIST_BUTTONS_16  171
#define IDB_PLAYLIST_BUTTONS     172
#define IDB_ABOUT_LOGO           180
#define IDB_LOGO_STEP_6          181  // the About logo dissolves in through steps 1..6
#define IDB_LOGO_STEP_2          182
#define IDB_LOGO_STEP_3          183
#define IDB_LOGO_STEP_4          184
#define IDB_LOGO_STEP_5          185
#define IDB_LOGO_STEP_1          186
#define IDB_METER_MARKS_16       208
#define IDB_METER_MARKS          209

// File tools: the Edit sheet's pages (Tag Editor, Divide, Combine), their controls and the
// bitmaps of their buttons.
#define IDD_TAG_EDITOR          197
#define IDD_DIVIDE              198
#define IDD_COMBINE             199
#define IDB_BROWSE              203
#define IDB_PREVIEW_PLAY        204
#define IDB_SAVE_BROWSE         205
#define IDB_PREVIEW_STOP        206
#define IDC_TAG_TITLE           1055
#define IDC_TAG_ARTIST          1057
#define IDC_TAG_ALBUM           1058
#define IDC_TAG_YEAR            1060
#define IDC_TAG_GENRE           1061
#define IDC_TAG_COMMENT         1062
#define IDC_TAG_FORMAT          1063
#define IDC_SOURCE_BROWSE       1064
#define IDC_SOURCE_NAME         1065
#define IDC_FILE1_BROWSE        1066
#define IDC_FILE1_NAME          1067
#define IDC_FILE2_NAME          1068
#define IDC_FILE2_BROWSE        1069
#define IDC_DEST_NAME           1070
#define IDC_DEST_BROWSE         1071
#define IDC_RUN_TOOL            1072
#define IDC_PREVIEW_PLAY        1073
#define IDC_PREVIEW_STOP        1074
#define IDC_POSITION_BAR        1075
#define IDC_POSITION_TIME       1076
#define IDC_SET_IN              1077
#define IDC_IN_TIME             1078
#define IDC_SET_OUT             1079
#define IDC_OUT_TIME            1080
#define IDC_CUT_LENGTH          1083
#define IDC_FILE1_FORMAT        1095
#define IDC_FILE2_FORMAT        1096
#define IDC_IN_SPIN             1097
#define IDC_OUT_SPIN            1098
#define IDC_TAG_APPLY           1106

// Playlist window: its icons and the child controls' ids (the buttons' tooltips are strings
// 26..32 in id order). It draws the skin's playlist keys, frame, panel tiles, glyphs and name plate.
#define IDI_LIST_CURRENT     175
#define IDI_LIST_WINDOW      179
#define IDI_LIST_HISTORY     191
#define IDC_LIST_UP          201
#define IDC_LIST_DOWN        202
#define IDC_LIST_CLEAR       203
#define IDC_LIST_SAVE        204
#define IDC_LIST_ADD         205
#define IDC_LIST_DELETE      206
#define IDC_LIST_CLOSE       207
#define IDC_LIST_HISTORY     301
#define IDC_LIST_VIEW        302

// Dialog look and About box (its logo and dissolve steps are the skin bitmaps 180..186 above).
#define IDD_ABOUT         117
#define IDC_ABOUT_LOGO    1002
#define IDC_ABOUT_VERSION 1003
#define IDC_ABOUT_LEGAL   1004
