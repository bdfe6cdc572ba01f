#include "ConsolePorts.h"

#include "DeviceRules.h"
#include "MidiProcessing.h"

const char* const ConsolePorts::noPortText = "<< none >>";
const char* const ConsolePorts::noPortsFoundText = "No MIDI ports were found";

namespace
{
bool sequencerDeviceExists()
{
   #if JUCE_LINUX
    return juce::File ("/dev/snd/seq").exists();
   #else
    return true;
   #endif
}
} // namespace

ConsolePorts::ConsolePorts (MidiProcessing* linkToUse, std::function<bool()> sequencerPresentToUse)
    : link (linkToUse),
      sequencerPresent (sequencerPresentToUse != nullptr ? std::move (sequencerPresentToUse) : std::function<bool()> (sequencerDeviceExists))
{
}

void ConsolePorts::readNames (Direction side)
{
    auto& list = names[index (side)];
    list.clear();

    if (link != nullptr)
        side == Direction::input ? link->getInputDeviceNames (list) : link->getOutputDeviceNames (list);
}

const juce::PopupMenu& ConsolePorts::buildMenu (Direction side)
{
    readNames (side);
    const auto& list = names[index (side)];
    auto& menu = menus[index (side)];

    menu.clear();
    menu.addItem (-1, noPortText);
    menu.addSeparator();

    for (int i = 0; i < list.size(); ++i)
        menu.addColouredItem (i + 1, list[i], juce::Colours::black);

    if (list.isEmpty())
        menu.addSectionHeader (noPortsFoundText);

    return menu;
}

const juce::StringArray& ConsolePorts::getNames (Direction side) const noexcept
{
    return names[index (side)];
}

juce::String ConsolePorts::noPortsReason (bool sequencerPresentNow)
{
    if (! sequencerPresentNow)
        return juce::String (noPortsFoundText) + ": the ALSA sequencer (/dev/snd/seq) is not available on this machine, "
               "so no program can see a MIDI port. Check that the sequencer is loaded (snd-seq) and that you may use "
               "/dev/snd, then that the device is plugged in and switched on.";

    return juce::String (noPortsFoundText) + ". Check that the device (or its MIDI interface) is plugged in and switched on.";
}

juce::String ConsolePorts::getNoPortsReason (Direction side) const
{
    if (! names[index (side)].isEmpty())
        return {};

    return noPortsReason (sequencerPresent());
}

juce::String ConsolePorts::nameFromMenu (int itemId, const juce::PopupMenu& menu)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();

        if (! item.isSeparator && item.itemID == itemId)
            return item.text;
    }

    return {};
}

bool ConsolePorts::open (Direction side, const juce::String& name, int menuIndex)
{
    const bool input = side == Direction::input;
    bool opened = false;

    if (link != nullptr)
    {
        auto& ports = link->getPortManager();
        const auto listed = input ? ports.getInputNames() : ports.getOutputNames();

        // Open the very port the user picked: by its place in the list when the list still
        // shows it there, else the first port of exactly that name. Opening by a part of the
        // name could take a longer name that merely contains this one.
        const int place = (menuIndex >= 0 && listed[menuIndex] == name) ? menuIndex : listed.indexOf (name);

        if (place >= 0)
            opened = input ? ports.openInputByIndex (place) : ports.openOutputByIndex (place);
    }

    if (! opened && link != nullptr)
        input ? link->closeInputPort() : link->closeOutputPort();

    ok[index (side)] = opened;
    chosen[index (side)] = opened ? name : juce::String();
    return opened;
}

bool ConsolePorts::isPresent (Direction side) const
{
    if (link == nullptr || ! isOpen (side))
        return false;

    const auto& ports = link->getPortManager();
    return side == Direction::input ? ports.isInputPresent() : ports.isOutputPresent();
}

bool ConsolePorts::close (Direction side)
{
    bool closed = false;

    if (link != nullptr)
        closed = side == Direction::input ? link->closeInputPort() : link->closeOutputPort();

    ok[index (side)] = false;
    chosen[index (side)].clear();
    return closed;
}

int ConsolePorts::findDevicePort (Direction side, int model)
{
    readNames (side);
    return DeviceRules::findPortByPattern (names[index (side)], DeviceRules::portPattern ((juce::uint8) model));
}

bool ConsolePorts::handToLink (int model)
{
    if (link == nullptr)
        return false;

    if (const auto sides = DeviceRules::linkSidesFor ((std::uint8_t) model, ok[0], ok[1]))
        return link->openDevices (sides->input, sides->output);

    return false;
}
