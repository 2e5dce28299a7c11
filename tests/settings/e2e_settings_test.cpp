// The deck's registry settings under Wine: a first start and close stores every value with its
// default in a key the deck made itself (gone once the wineserver restarts), and values stored
// beforehand in an installer-made key place and size the main window.
#include <gtest/gtest.h>
#include "tool_skip.h"
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"

namespace {

using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
const char* const KEY = e2e::SETTINGS_KEY;
const char VENDOR_KEY[] = "HKCU\\SOFTWARE\\Kelvara";
using e2e::START_MS;
const int EXIT_MS = e2e::WAIT_MS;
const int SCREEN_W = 1280;  // the rig's Xvfb screen

// Value name and the number a first run stores (the recorder's and timer defaults included).
// The rig has no USB device, so the deck takes IN1 (1) as its input.
struct Expected {
    const char* name;
    unsigned value;
};
const Expected FIRST_RUN_VALUES[] = {
    {"RecordInput",      1    },
    {"RecordFormat",     0    },
    {"RecordFrequency",  44100},
    {"RecordChannel",    2    },
    {"RecordBps",        16   },
    {"TimerMode",        0    },
    {"MpegBitrate",      256  },
    {"Mp2Bitrate",       192  },
    {"Mp3Bitrate",       128  },
    {"RecLimit",         0    },
    {"RecAutoRecording", 1    },
    {"PlaySpace",        1    },
    {"Repeat",           0    },
    {"AutoLevel",        16   },
    {"AutoStart",        2    },
    {"AutoStop",         1    },
    {"TimerHour0",       0    },
    {"TimerHour5",       0    },
    {"TimerMinute0",     0    },
    {"TimerMinute5",     0    },
    {"TimerMode0",       0    },
    {"TimerMode5",       0    },
    {"Xo",               0    },
    {"Yo",               0    },
    {"Xs",               400  },
    {"Ys",               105  },
    {"Mode",             0    },
    {"Mag",              1    },
    {"Top",              0    },
    {"Xo_List",          16   },
    {"Yo_List",          16   },
    {"Xs_List",          400  },
    {"Ys_List",          360  },
    {"ColumnNumber",     56   },
    {"ColumnName",       124  },
    {"ColumnTime",       56   },
    {"ColumnTitle",      164  },
    {"MaxVolume",        0    },
};

struct Geometry {
    int x = -1, y = -1, w = -1, h = -1;
};

// The deck's X window as the rig's display sees it (no window manager: the Win32 rectangle).
Geometry DeckGeometry(const Rig& rig) {
    Geometry g;
    std::string cmd = "DISPLAY=" + rig.display +
                      " timeout 20 xdotool search --onlyvisible --name '^Quaverly Deck$' getwindowgeometry --shell"
                      " %@ 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return g;
    char line[128];
    while (std::fgets(line, sizeof line, p)) {
        std::sscanf(line, "X=%d", &g.x);
        std::sscanf(line, "Y=%d", &g.y);
        std::sscanf(line, "WIDTH=%d", &g.w);
        std::sscanf(line, "HEIGHT=%d", &g.h);
    }
    pclose(p);
    return g;
}

class DeckSettings : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
        ASSERT_TRUE(StartRig(&rig));
        // A persistent server, so keys the deck made outlive the deck until the server is ended.
        // It must be the first server of the run: one winding down would ignore -p.
        EndWineServer();
        ASSERT_EQ(0, std::system(("WINEPREFIX='" + rig.winePrefix + "' wineserver -p").c_str()));
        DeleteVendorKey();
    }
    void TearDown() override {
        if (!rig.started) return;
        if (deck > 0) StopProcess(deck);
        DeleteVendorKey();
        StopRig(&rig);
    }

    void DeleteVendorKey() { RunWine(rig, "reg", {"delete", VENDOR_KEY, "/f"}, 60000); }
    bool AddDword(const char* name, unsigned value) {
        return RunWine(rig, "reg", {"add", KEY, "/v", name, "/t", "REG_DWORD", "/d", std::to_string(value), "/f"},
                       60000) == 0;
    }
    bool Stored(const char* name, std::string* dataOut = nullptr) {
        std::string data;
        return ReadRegistryValue(rig, KEY, name, dataOut ? dataOut : &data);
    }

    // Starts the deck and waits until its window has the expected place and size (or time runs
    // out); returns what was last seen.
    Geometry StartAndMeasure(const Geometry& want) {
        deck = StartDeck(rig, {});
        Geometry g;
        if (!WaitForWindow(rig, DECK_CLASS, DECK_TITLE, START_MS)) return g;
        e2e::WaitUntil([&] {
            g = DeckGeometry(rig);
            return g.x == want.x && g.y == want.y && g.w == want.w && g.h == want.h;
        }, e2e::WAIT_MS);
        return g;
    }
    void CloseDeck() {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
        EXPECT_EQ(0, code);
        deck = -1;
    }
    void EndWineServer() {
        std::system(
            ("WINEPREFIX='" + rig.winePrefix + "' wineserver -k; WINEPREFIX='" + rig.winePrefix + "' wineserver -w")
                .c_str());
    }

    Rig rig;
    pid_t deck = -1;
};

void ExpectGeometry(const Geometry& g, int x, int y, int w, int h) {
    EXPECT_EQ(g.x, x);
    EXPECT_EQ(g.y, y);
    EXPECT_EQ(g.w, w);
    EXPECT_EQ(g.h, h);
}

TEST_F(DeckSettings, FirstRunStoresEveryDefaultInAKeyThatEndsWithTheServer) {
    ASSERT_FALSE(Stored("Xo"));
    // The default place, 16,16, lies within the 16-pixel screen-edge snap, so the deck starts
    // in the corner and stores that place.
    Geometry g = StartAndMeasure({0, 0, 400, 105});
    ExpectGeometry(g, 0, 0, 400, 105);
    CloseDeck();

    for (const Expected& e : FIRST_RUN_VALUES) {
        std::string data;
        EXPECT_TRUE(Stored(e.name, &data)) << e.name << " missing";
        EXPECT_EQ(std::strtoul(data.c_str(), nullptr, 0), e.value) << e.name << " = " << data;
    }
    // Empty paths are not written; the notice of a first run is still pending, so no date.
    for (const char* absent : {"RecFileName", "SelectDir", "LastYear", "LastMonth", "LastDay"})
        EXPECT_FALSE(Stored(absent)) << absent;

    EndWineServer();
    EXPECT_FALSE(Stored("Xo")) << "a key the deck made itself is volatile";
    EXPECT_NE(RunWine(rig, "reg", {"query", VENDOR_KEY}, 60000), 0);
}

TEST_F(DeckSettings, StoredPlaceAndSizeAreHonouredAndPulledOnScreen) {
    ASSERT_TRUE(CreateRegistryKey(rig, KEY));  // as the installer does
    struct Case {
        unsigned xo, yo, mag;
        Geometry want;
    } cases[] = {
        {300,  200,         1, {300, 200, 400, 105}         },
        {40,   60,          2, {40, 60, 800, 210}           },
        {5000, 0xFFFFFFCEu, 2, {SCREEN_W - 800, 0, 800, 210}}, // off the right edge and above the top
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.xo) + "," + std::to_string((int)c.yo) + " mag " + std::to_string(c.mag));
        ASSERT_TRUE(AddDword("Xo", c.xo));
        ASSERT_TRUE(AddDword("Yo", c.yo));
        ASSERT_TRUE(AddDword("Mag", c.mag));
        Geometry g = StartAndMeasure(c.want);
        ExpectGeometry(g, c.want.x, c.want.y, c.want.w, c.want.h);
        CloseDeck();
        std::string data;
        EXPECT_TRUE(Stored("Mag", &data));
        EXPECT_EQ(std::strtoul(data.c_str(), nullptr, 0), c.mag);
    }

    EndWineServer();
    std::string data;
    EXPECT_TRUE(Stored("Xo", &data)) << "an installer-made key stays";
    EXPECT_EQ(std::strtoul(data.c_str(), nullptr, 0), (unsigned)(SCREEN_W - 800));
}

}  // namespace
