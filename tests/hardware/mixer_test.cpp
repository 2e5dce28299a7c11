// The mixer layer against scripted mixers: which mixer and line it finds, what it writes to the
// controls, and that every operation closes the mixer again, also when a call fails.
#include "hardware/mixer.h"
#include "base/system_info.h"
#include "hardware/mixer_platform_native.h"
#include <gtest/gtest.h>

namespace {
const uint32_t MASTER_ID = 0xFFFF0000, WAVE_ID = 0x10, SYNTH_ID = 0x11, OTHER_DEST_ID = 0xFFFF0001;

FakeMixerDestination Destination(uint32_t id, uint32_t type, uint32_t firstControl) {
    FakeMixerDestination d;
    d.line = MakeFakeLine(id, type, firstControl);
    return d;
}

// An output mixer as a driver presents it: a destination of the given type with a synthesizer
// and a wave-out source, each with volume and mute.
FakeMixer DeckMixer(const char* name, uint32_t destinationType) {
    FakeMixer m;
    m.name = name;
    FakeMixerDestination d = Destination(MASTER_ID, destinationType, 1);
    d.sources.push_back(MakeFakeLine(SYNTH_ID, MIXER_SRC_SYNTHESIZER, 10));
    d.sources.push_back(MakeFakeLine(WAVE_ID, MIXER_SRC_WAVEOUT, 20));
    m.destinations.push_back(d);
    return m;
}

FakeMixerControl* Control(uint32_t lineId, uint32_t type, uint32_t mixer = 0) {
    for (FakeMixerDestination& d : FakeMixers()[mixer].destinations) {
        std::vector<FakeMixerLine*> lines{&d.line};
        for (FakeMixerLine& s : d.sources) lines.push_back(&s);
        for (FakeMixerLine* l : lines)
            if (l->record.lineId == lineId)
                for (FakeMixerControl& c : l->controls)
                    if (c.record.type == type) return &c;
    }
    return nullptr;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFakeMixers();
        ResetMixerForTest();
        SetMixerOsKind(OS_KIND_OTHER);
    }
    void TearDown() override { EXPECT_EQ(0, OpenFakeMixerHandles()) << "the mixer was left open"; }
};

TEST_F(MixerTest, TheDecksMixerIsFoundByTheStartOfItsNameElseMixerZero) {
    SetFakeMixers({DeckMixer("PulseAudio", MIXER_DST_UNDEFINED), DeckMixer("Kelvara Vornex", MIXER_DST_UNDEFINED),
                   DeckMixer("Kelvara Vornex Pro 2", MIXER_DST_UNDEFINED)});
    EXPECT_EQ(2u, FindDeckMixer()) << "a longer name matches, a shorter one does not";
    FakeMixers()[2].name = "Monitor of Kelvara Vornex USB";
    EXPECT_EQ(0u, FindDeckMixer());
    FakeMixers()[1].name = "Kelvara Vornex USB";
    EXPECT_EQ(1u, FindDeckMixer());
    ASSERT_EQ(1, SelectWaveOut(1));
    EXPECT_EQ(1u, LastOpenedFakeMixer());

    SetFakeMixers({});
    EXPECT_EQ(0u, FindDeckMixer());
    EXPECT_EQ(0, SelectMaster(1)) << "no mixer device at all";
}

TEST_F(MixerTest, LinesAreSoughtOnTheOutputDestinationOfTheSystemsKind) {
    FakeMixer m = DeckMixer("Kelvara Vornex USB", MIXER_DST_SPEAKERS);
    m.destinations.insert(m.destinations.begin(), Destination(OTHER_DEST_ID, 7, 30));  // a recording destination
    SetFakeMixers({m});
    // An NT-family system seeks the undefined type, which this driver does not offer.
    EXPECT_EQ(0, SelectMaster(1));
    EXPECT_EQ(0, SelectWaveOut(1));
    SetMixerOsKind(OS_KIND_98);
    ASSERT_EQ(1, SelectMaster(1));
    EXPECT_EQ(MASTER_ID, SelectedMixerLineForTest());
    ASSERT_EQ(1, SelectWaveOut(1));
    EXPECT_EQ(WAVE_ID, SelectedMixerLineForTest());
    ASSERT_EQ(1, SelectLine(1, MIXER_LINE_SYNTHESIZER));
    EXPECT_EQ(SYNTH_ID, SelectedMixerLineForTest());
    EXPECT_EQ(0, SelectLine(1, 3));
    EXPECT_EQ(SYNTH_ID, SelectedMixerLineForTest()) << "a failed selection keeps the line";

    // Only the first destination of the type is searched for a source.
    FakeMixers()[0].destinations[1].sources.clear();
    FakeMixers()[0].destinations.push_back(DeckMixer("", MIXER_DST_SPEAKERS).destinations[0]);
    EXPECT_EQ(0, SelectWaveOut(1));
}

TEST_F(MixerTest, VolumeIsHeldToTheControlsBoundsAndMuteInverts) {
    SetFakeMixers({DeckMixer("Kelvara Vornex USB", MIXER_DST_UNDEFINED)});
    ASSERT_EQ(1, SelectWaveOut(1));
    ASSERT_EQ(1, SetVolume(1, 70000, 70000));
    EXPECT_EQ((std::vector<int32_t>{65535, 65535}), Control(WAVE_ID, MIXER_CONTROL_VOLUME)->values);
    Control(WAVE_ID, MIXER_CONTROL_VOLUME)->record.minimum = 1000;
    ASSERT_EQ(1, SetVolume(1, 0, 30000));
    uint32_t l = 0, r = 0;
    ASSERT_EQ(1, GetVolume(1, &l, &r));
    EXPECT_EQ(1000u, l);
    EXPECT_EQ(30000u, r);
    EXPECT_TRUE(Control(MASTER_ID, MIXER_CONTROL_VOLUME)->values.empty()) << "only the selected line";

    uint32_t mute = 7;
    ASSERT_EQ(1, GetMute(1, &mute));
    EXPECT_EQ(0u, mute);
    ASSERT_EQ(1, SetMute(1, 1));
    ASSERT_EQ(1, GetMute(1, &mute));
    EXPECT_EQ(1u, mute);
    EXPECT_EQ(1u, Control(WAVE_ID, MIXER_CONTROL_MUTE)->values.size()) << "mute is one value";
}

TEST_F(MixerTest, ChannelsAndItemsFollowTheControl) {
    SetFakeMixers({DeckMixer("Kelvara Vornex USB", MIXER_DST_UNDEFINED)});
    ASSERT_EQ(1, SelectWaveOut(1));
    // Several items per channel: the first two values are left and right, the rest are kept.
    FakeMixerControl* volume = Control(WAVE_ID, MIXER_CONTROL_VOLUME);
    volume->record.flags = MIXER_CONTROLF_MULTIPLE;
    volume->record.multipleItems = 3;
    volume->values = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(1, SetVolume(1, 100, 200));
    EXPECT_EQ((std::vector<int32_t>{100, 200, 3, 4, 5, 6}), volume->values);

    // A uniform control is one value for both channels.
    volume->record.flags = MIXER_CONTROLF_UNIFORM;
    ASSERT_EQ(1, SetVolume(1, 4000, 9000));
    EXPECT_EQ((std::vector<int32_t>{4000}), volume->values);
    uint32_t l = 0, r = 0;
    ASSERT_EQ(1, GetVolume(1, &l, &r));
    EXPECT_EQ(4000u, r);

    // A disabled or missing control is not used.
    volume->record.flags = MIXER_CONTROLF_DISABLED;
    EXPECT_EQ(0, SetVolume(1, 1, 1));
    EXPECT_EQ(0, GetVolume(1, &l, &r));
    EXPECT_EQ(0u, l);
    int32_t pl = 5, pr = 5;
    EXPECT_EQ(0, GetPeak(1, &pl, &pr)) << "no meter on this line";
}

TEST_F(MixerTest, PeakMeterValuesStaySigned) {
    FakeMixer m = DeckMixer("Kelvara Vornex USB", MIXER_DST_UNDEFINED);
    m.destinations[0].sources[1].controls.push_back({
        MixerControlRecord{99, MIXER_CONTROL_PEAKMETER, 0, 0, -32768, 32767},
        {-1200, 900                 }
    });
    SetFakeMixers({m});
    ASSERT_EQ(1, SelectWaveOut(1));
    int32_t l = 0, r = 0;
    ASSERT_EQ(1, GetPeak(1, &l, &r));
    EXPECT_EQ(-1200, l);
    EXPECT_EQ(900, r);
}

// Failing each platform call of each operation in turn: the operation fails, nothing stays
// open, and a failed write leaves the control as it was.
TEST_F(MixerTest, AnyFailingCallFailsTheOperationAndClosesTheMixer) {
    SetFakeMixers({DeckMixer("Kelvara Vornex USB", MIXER_DST_UNDEFINED)});
    ASSERT_EQ(1, SelectWaveOut(1));
    ASSERT_EQ(1, SetVolume(1, 500, 600));
    int failedWrites = 0, failedSelects = 0;
    for (int n = 1; n <= 8; ++n) {
        FailFakeMixerCall(n);
        int ok = SetVolume(1, 40000, 40000);
        FailFakeMixerCall(0);
        EXPECT_EQ(0, OpenFakeMixerHandles()) << n;
        if (ok) {
            ASSERT_EQ(1, SetVolume(1, 500, 600));
        } else {
            failedWrites++;
            EXPECT_EQ((std::vector<int32_t>{500, 600}), Control(WAVE_ID, MIXER_CONTROL_VOLUME)->values) << n;
        }
        FailFakeMixerCall(n);
        failedSelects += !SelectWaveOut(1);
        FailFakeMixerCall(0);
        EXPECT_EQ(0, OpenFakeMixerHandles()) << n;
        ASSERT_EQ(1, SelectWaveOut(1));
    }
    EXPECT_GE(failedWrites, 4) << "open, line, controls and the write itself can fail";
    EXPECT_GE(failedSelects, 3) << "open, destination and source queries can fail";
}
// Two channels of 32 items are the most values one call exchanges; one item more and the control
// is left alone rather than overrun.
TEST_F(MixerTest, AControlWithTheMostValuesIsUsedAndOneMoreIsNot) {
    SetFakeMixers({DeckMixer("Kelvara Vornex USB", MIXER_DST_UNDEFINED)});
    ASSERT_EQ(1, SelectWaveOut(1));
    FakeMixerControl* volume = Control(WAVE_ID, MIXER_CONTROL_VOLUME);
    volume->record.flags = MIXER_CONTROLF_MULTIPLE;
    for (uint32_t items : {32u, 33u}) {
        volume->record.multipleItems = items;
        volume->values.assign(2 * items, 7);
        EXPECT_EQ(items == 32 ? 1 : 0, SetVolume(1, 100, 200)) << items;
        EXPECT_EQ(items == 32 ? 100 : 7, volume->values[0]) << items;
    }
}
}  // namespace
