#include "AppTestDoubles.h"
#include "ConsolePorts.h"
#include "MidiProcessing.h"

#include <gtest/gtest.h>

namespace
{
using Direction = ConsolePorts::Direction;

juce::StringArray itemsOf (const juce::PopupMenu& menu)
{
    juce::StringArray items;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (! it.getItem().isSeparator)
            items.add (it.getItem().text);

    return items;
}

std::unique_ptr<MidiProcessing> linkWith (juce::StringArray inputs, juce::StringArray outputs)
{
    auto link = std::make_unique<MidiProcessing> (std::make_unique<FakePortBackend> (std::move (inputs), std::move (outputs)));
    link->getPortManager().refreshDeviceLists();
    return link;
}
} // namespace

TEST (ConsolePorts, WithoutPortsThePickerSaysWhyAndWhatToCheck)
{
    auto link = linkWith ({}, {});

    ConsolePorts noSequencer (link.get(), [] { return false; });
    ConsolePorts noDevice (link.get(), [] { return true; });

    for (auto side : ConsolePorts::directions)
    {
        EXPECT_EQ (itemsOf (noSequencer.buildMenu (side)), juce::StringArray ({ "<< none >>", "No MIDI ports were found" }));

        const auto missing = noSequencer.getNoPortsReason (side);
        EXPECT_TRUE (missing.startsWith ("No MIDI ports were found")) << missing;
        EXPECT_TRUE (missing.contains ("ALSA sequencer (/dev/snd/seq) is not available")) << missing;
        EXPECT_TRUE (missing.contains ("plugged in")) << missing;

        noDevice.buildMenu (side);
        const auto unplugged = noDevice.getNoPortsReason (side);
        EXPECT_TRUE (unplugged.startsWith ("No MIDI ports were found")) << unplugged;
        EXPECT_FALSE (unplugged.contains ("/dev/snd/seq")) << "the sequencer is there: " << unplugged;
        EXPECT_TRUE (unplugged.contains ("plugged in and switched on")) << unplugged;
    }

    // Without any link, nothing is listed either.
    ConsolePorts linkless (nullptr, [] { return true; });
    EXPECT_EQ (itemsOf (linkless.buildMenu (Direction::output)), juce::StringArray ({ "<< none >>", "No MIDI ports were found" }));
    EXPECT_FALSE (linkless.open (Direction::output, "Anything"));
}

TEST (ConsolePorts, EachSideListsOpensAndGivesUpItsOwnPorts)
{
    auto link = linkWith ({ "Orvix III MIDI In", "Other In" }, { "Other Out", "Orvix III MIDI Out" });
    ConsolePorts ports (link.get(), [] { return false; });

    EXPECT_EQ (itemsOf (ports.buildMenu (Direction::input)), juce::StringArray ({ "<< none >>", "Orvix III MIDI In", "Other In" }));
    EXPECT_TRUE (ports.getNoPortsReason (Direction::input).isEmpty()) << "ports were found";
    EXPECT_EQ (ConsolePorts::nameFromMenu (2, ports.buildMenu (Direction::input)), "Other In");
    EXPECT_EQ (ConsolePorts::nameFromMenu (-1, ports.buildMenu (Direction::input)), "<< none >>");

    // The device's own port is found by name on each side, in that side's list.
    EXPECT_EQ (ports.findDevicePort (Direction::input, 16), 0);
    EXPECT_EQ (ports.findDevicePort (Direction::output, 16), 1);

    EXPECT_TRUE (ports.open (Direction::input, "Orvix III MIDI In", 0));
    EXPECT_TRUE (ports.isOpen (Direction::input));
    EXPECT_FALSE (ports.isOpen (Direction::output)) << "one side does not open the other";

    // A port no longer listed is refused and its side given up.
    EXPECT_FALSE (ports.open (Direction::output, "Gone Out"));
    EXPECT_FALSE (ports.isOpen (Direction::output));
    EXPECT_TRUE (ports.isOpen (Direction::input));

    ports.close (Direction::input);
    EXPECT_FALSE (ports.isOpen (Direction::input));
}
