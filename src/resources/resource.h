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
#define STR_TIP_HISTORY_BOX             26
#define STR_PLAYLIST_TITLE              27
#define STR_PLAYLIST_ADD                28
#define STR_PLAYLIST_DELETE             29
#define STR_PLAYLIST_UP                 30
#define STR_PLAYLIST_DOWN               31
#define STR_PLAYLIST_SAVE               32
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

// Dialog look and About box.
#define IDD_ABOUT            117
#define IDC_ABOUT_LOGO       1002
#define IDC_ABOUT_VERSION    1003
#define IDC_ABOUT_LEGAL      1004
#define IDB_ABOUT_LOGO       180  // 201 x 25
#define IDB_ABOUT_PATTERN_6  181  // the six 8 x 8 dissolve patterns, shown 1 to 6
#define IDB_ABOUT_PATTERN_2  182
#define IDB_ABOUT_PATTERN_3  183
#define IDB_ABOUT_PATTERN_4  184
#define IDB_ABOUT_PATTERN_5  185
#define IDB_ABOUT_PATTERN_1  186
