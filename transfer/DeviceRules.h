#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>
#include <optional>

/** The console's rules about device models and MIDI ports, as plain functions that need no
    window: which ports a model needs on which page, the USB port name pattern of the automatic
    port choice, when the link is ready, which controls of the page are usable, and the MIDI
    buffer delay that a model gets.
*/
struct DeviceRules
{
    static constexpr std::uint8_t noModel = 247;       ///< before any device choice
    static constexpr std::uint8_t lostModel = 254;     ///< after the device stopped answering or was deselected
    static constexpr std::uint8_t utilityModel = 255;  ///< the "Utility" pseudo-device

    /** One entry of the device menu: the model code (its item id) and its text. */
    struct MenuEntry
    {
        int id;
        const char* text;
    };

    /** The device menu's models in menu order (without the "Utility"). */
    static const std::array<MenuEntry, 9>& deviceMenuEntries();

    /** True when the device menu offers "Utility": only on the send page with Ctrl held. */
    static bool offersUtility (bool receivePage, bool ctrlHeld) noexcept { return ! receivePage && ctrlHeld; }

    /** The menu text of a model code, or an empty string. */
    static juce::String menuTextForModel (int model);

    /** Models that talk both ways: 3, 5, 6, 7, 8, 10 and 16. */
    static bool needsBothPorts (int model) noexcept;

    /** The QMR-303 foot controllers, 2 and 4. */
    static bool isFootController (int model) noexcept { return model == 2 || model == 4; }

    /** Models that use one port at a time: the foot controllers and the Utility. */
    static bool usesOnePort (int model) noexcept { return isFootController (model) || model == utilityModel; }

    /** The text that a listed port's name must contain (ignoring case) for the automatic choice. */
    static juce::String portPattern (int model);

    /** Index of the first name that contains the pattern ignoring case, or -1. */
    static int findPortByPattern (const juce::StringArray& names, const juce::String& pattern);

    /** Which sides openDevices gets for the ports that are open; nullopt when nothing is handed over. */
    struct LinkSides
    {
        bool input = false;
        bool output = false;
    };
    static std::optional<LinkSides> linkSidesFor (int model, bool inputOk, bool outputOk) noexcept;

    /** True when the ports that the model needs on this page are open. */
    static bool isLinkReady (int model, bool inputOk, bool outputOk, bool receivePage) noexcept;

    /** The input (output) port selector is usable for the chosen model on this page. */
    static bool inputSelectorEnabled (int model, bool receivePage) noexcept;
    static bool outputSelectorEnabled (int model, bool receivePage) noexcept;

    /** The port label text after a port was given up: "Port is not needed" or the prompt. */
    static juce::String inputLabelAfterReset (int model, bool receivePage);
    static juce::String outputLabelAfterReset (int model, bool receivePage);

    /** The "Receive Begin Label" rule of the receive page. */
    static bool showsReceiveBegin (int model, bool inputOk, bool outputOk, bool receiveFolderChosen, bool receivePage) noexcept;

    /** The MIDI buffer delay that a model gets; nullopt when nothing changes. */
    struct BufferDelay
    {
        int milliseconds = 0;
        bool shown = false;
    };
    static std::optional<BufferDelay> bufferDelayFor (int model, bool receivePage) noexcept;
};
