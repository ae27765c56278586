// The lever under MIDI control: channel filter, controller values, and the audio-thread rule.

#include "preset_probe.h"
#include "support/alloc_counter.h"
#include "support/test_host.h"

#include "params/parameter_indices.h"
#include "presets/midi_control.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

using kestro::MidiControl;
using kestro::test::PresetProbe;
using kestro::kLever;
using kestro::kMidiChannel;

namespace {

// A host's event list with room for `n` pointers.
class EventList {
public:
    void add(unsigned char status, unsigned char data1, unsigned char data2, VstInt32 type = kVstMidiType)
    {
        VstMidiEvent e{};
        e.type = type;
        e.byteSize = sizeof(VstMidiEvent);
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(data1);
        e.midiData[2] = static_cast<char>(data2);
        events.push_back(e);
    }
    VstEvents* list()
    {
        storage.assign(sizeof(VstEvents) + events.size() * sizeof(VstEvent*), 0);
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(events.size());
        for (std::size_t i = 0; i < events.size(); ++i)
            list->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
        return list;
    }
    std::vector<VstMidiEvent> events;

private:
    std::vector<std::uint8_t> storage;
};

float channelValue(int setting)
{
    return static_cast<float>(setting) / 17.0f;
}

} // namespace

TEST(MidiControl, ChannelSettingSelectsWhichMessagesMoveTheLever)
{
    PresetProbe effect;
    MidiControl midi;
    effect.setParameter(kMidiChannel, channelValue(3));
    EventList events;
    events.add(0xB2, 1, 127);
    EXPECT_EQ(midi.processEvents(events.list(), effect), 1);
    EXPECT_EQ(effect.getParameter(kLever), 1.0f);

    EventList other;
    other.add(0xB3, 1, 0);
    midi.processEvents(other.list(), effect);
    EXPECT_EQ(effect.getParameter(kLever), 1.0f) << "channel 4 is not ours";

    effect.setParameter(kMidiChannel, 0.0f);
    EventList any;
    for (unsigned char ch = 0; ch < 16; ++ch)
        any.add(static_cast<unsigned char>(0xB0 | ch), 1, 0);
    midi.processEvents(any.list(), effect);
    EXPECT_EQ(effect.getParameter(kLever), 1.0f) << "MIDI off";

    effect.setParameter(kMidiChannel, 1.0f); // omni
    EventList omni;
    omni.add(0xBF, 1, 64);
    midi.processEvents(omni.list(), effect);
    EXPECT_FLOAT_EQ(effect.getParameter(kLever), 0.503937f);
    for (int slot = 0; slot < 32; ++slot)
        EXPECT_FLOAT_EQ(effect.programAt(slot).values[2], 0.503937f) << "the lever is global";
}

TEST(MidiControl, SustainThrowsTheLeverAndOtherMessagesDoNothing)
{
    PresetProbe effect;
    effect.setParameter(kMidiChannel, 1.0f);
    MidiControl midi;
    EventList down;
    down.add(0xB0, 64, 64);
    midi.processEvents(down.list(), effect);
    EXPECT_EQ(effect.getParameter(kLever), 1.0f);
    EXPECT_EQ(midi.sustainIndicator(), 1.0);
    EXPECT_EQ(midi.activityLevel(), 0.0f) << "only the wheel lights the activity";

    EventList up;
    up.add(0xB0, 64, 63);
    midi.processEvents(up.list(), effect);
    EXPECT_EQ(effect.getParameter(kLever), 0.0f);
    EXPECT_EQ(midi.sustainIndicator(), 0.0);

    const int calls = effect.setCalls;
    EventList ignored;
    ignored.add(0x90, 60, 100);              // note on
    ignored.add(0xE0, 0, 127);               // pitch bend
    ignored.add(0xB0, 7, 127);               // another controller
    ignored.add(0xB0, 1, 127, kVstSysExType); // not a MIDI event
    midi.processEvents(ignored.list(), effect);
    EXPECT_EQ(effect.setCalls, calls);

    EventList empty;
    EXPECT_EQ(midi.processEvents(empty.list(), effect), 1);
    EXPECT_EQ(midi.processEvents(nullptr, effect), -1);

    EventList wheel;
    wheel.add(0xB0, 1 | 0x80, 0xFF); // stray high bits are masked off
    midi.processEvents(wheel.list(), effect);
    EXPECT_EQ(effect.getParameter(kLever), 1.0f);
    EXPECT_EQ(midi.activityLevel(), 1.0f);
    for (int i = 0; i < 200; ++i)
        midi.decayActivity(0.9f);
    EXPECT_EQ(midi.activityLevel(), 0.0f);
}

TEST(MidiControl, ChannelSettingOfUnusualValues)
{
    EXPECT_EQ(MidiControl::channelSetting(0.0f), 0);
    EXPECT_EQ(MidiControl::channelSetting(channelValue(16)), 16);
    EXPECT_EQ(MidiControl::channelSetting(1.0f), 17);
    EXPECT_EQ(MidiControl::channelSetting(-3.0f), 0);
    EXPECT_EQ(MidiControl::channelSetting(40.0f), 17);
    EXPECT_EQ(MidiControl::channelSetting(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(MidiControl, ProcessEventsThroughTheHostAllocatesNothing)
{
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    kestro::test::FreshSettings settings;
    kestro::test::TestHost host;
    ASSERT_TRUE(host.create()) << kestro::test::pluginLoadError();
    host.prepare();
    EventList events;
    for (int i = 0; i < 64; ++i) {
        events.add(0xB0, 1, static_cast<unsigned char>(i));
        events.add(0xB0, 64, static_cast<unsigned char>(i * 2));
    }
    VstEvents* list = events.list();
    // The first call lets the test host's own records grow; clearing keeps their room, so
    // the counted call measures the plug-in alone.
    host.dispatch(effProcessEvents, 0, 0, list);
    host.clearRecords();
    kestro::test::AllocationCounter counter;
    const auto result = host.dispatch(effProcessEvents, 0, 0, list);
    EXPECT_EQ(counter.stop(), 0);
    EXPECT_EQ(result, 1);
}

TEST(MidiControl, ThroughTheHostTheWheelMovesTheLeverAndTheHostHearsOfIt)
{
    kestro::test::FreshSettings settings;
    kestro::test::TestHost host;
    ASSERT_TRUE(host.create()) << kestro::test::pluginLoadError();
    host.setParameter(kMidiChannel, channelValue(3));
    EventList events;
    events.add(0xB3, 1, 127); // channel 4: not ours
    events.add(0xB2, 1, 64);
    host.clearRecords();
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, events.list()), 1);
    EXPECT_FLOAT_EQ(host.getParameter(kLever), 0.503937f);
    const auto automations = host.automations();
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].index, 2);
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), -1);
}
