#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class MidiProcessing;

/** The MIDI ports the console can choose from and the ones it has open, one side at a time: the
    port menu built from the link's list, opening the very port the user picked, giving a side up,
    finding a device's own port by its name and handing the open sides to the link worker as a
    model needs them. When the system lists no port at all it says why, for the picker's tooltip.

    Holds no widget; the console shows what it chooses. Message thread only.
*/
class ConsolePorts
{
public:
    enum class Direction
    {
        input,
        output
    };

    static constexpr Direction directions[] = { Direction::input, Direction::output };

    /** The menu item that gives a side up. */
    static const char* const noPortText;
    /** The menu's section header when the system lists no port. */
    static const char* const noPortsFoundText;

    /** Works on the link's ports (none when link is null: every list is empty). sequencerPresent
        tells whether the system's MIDI service is there; by default, whether the ALSA sequencer
        device exists (always true off Linux).
    */
    explicit ConsolePorts (MidiProcessing* link, std::function<bool()> sequencerPresent = {});

    /** Reads the side's port list again and returns its menu: "<< none >>" (id -1), a separator,
        then one item per port (id = place in the list + 1); "No MIDI ports were found" when there
        is none.
    */
    const juce::PopupMenu& buildMenu (Direction side);

    /** The side's ports as last read. */
    const juce::StringArray& getNames (Direction side) const noexcept;

    /** Empty while the side's last read found ports; else why there are none and what to check. */
    juce::String getNoPortsReason (Direction side) const;

    /** The text of the menu item with that id ("<< none >>" for -1); empty when there is none. */
    static juce::String nameFromMenu (int itemId, const juce::PopupMenu& menu);

    /** Opens the named port of the side: the one at menuIndex when the list still shows it there,
        else the first of exactly that name. On failure the side is given up entirely, so that the
        link worker does not keep reopening a port that is no longer the user's choice. Returns
        whether it is open.
    */
    bool open (Direction side, const juce::String& name, int menuIndex = -1);

    /** Gives the side up; true when a port was closed. */
    bool close (Direction side);

    bool isOpen (Direction side) const noexcept { return ok[index (side)]; }

    /** The name of the side's open port as it was chosen; empty when the side is not open. */
    const juce::String& getChosenName (Direction side) const noexcept { return chosen[index (side)]; }

    /** The side's port is open and still in the port list as last refreshed (every 2000 ms). */
    bool isPresent (Direction side) const;

    /** Reads the side's list again and returns the place of the model's own port in it, -1 when
        it is not there.
    */
    int findDevicePort (Direction side, int model);

    /** Hands the open sides to the link worker as the model needs them; false when the link did
        not take them (or there is no link).
    */
    bool handToLink (int model);

    /** Forgets which sides are open, without touching the link. */
    void forget() noexcept
    {
        ok[0] = ok[1] = false;
        chosen[0].clear();
        chosen[1].clear();
    }

    /** The reason shown when no port is listed: the missing sequencer, or the device to check. */
    static juce::String noPortsReason (bool sequencerPresent);

private:
    static int index (Direction side) noexcept { return side == Direction::input ? 0 : 1; }
    void readNames (Direction side);

    MidiProcessing* link = nullptr;
    std::function<bool()> sequencerPresent;
    juce::PopupMenu menus[2];
    juce::StringArray names[2];
    bool ok[2] = { false, false };
    juce::String chosen[2];

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePorts)
};
