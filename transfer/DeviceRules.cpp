#include "DeviceRules.h"

const std::array<DeviceRules::MenuEntry, 9>& DeviceRules::deviceMenuEntries()
{
    static const std::array<MenuEntry, 9> entries { {
        { 3, "Orvix II Original/MK II" },
        { 6, "Orvix II XL" },
        { 7, "Orvix II XL+" },
        { 16, "Orvix III" },
        { 5, "LM6" },
        { 10, "LM6 MK II" },
        { 8, "KT4" },
        { 2, "QMR-303 Original/MK II" },
        { 4, "QMR-303 MK3" },
    } };
    return entries;
}

juce::String DeviceRules::menuTextForModel (int model)
{
    if (model == utilityModel)
        return "Utility";

    for (const auto& entry : deviceMenuEntries())
        if (entry.id == model)
            return entry.text;

    return {};
}

bool DeviceRules::needsBothPorts (int model) noexcept
{
    switch (model)
    {
        case 3: case 5: case 6: case 7: case 8: case 10: case 16:
            return true;
        default:
            return false;
    }
}

juce::String DeviceRules::portPattern (int model)
{
    switch (model)
    {
        case 16: return "Orvix III";
        case 5:  return "LM6 MIDI";
        case 8:  return "KT4 MIDI";
        default: return "ORVIX II MIDI";
    }
}

int DeviceRules::findPortByPattern (const juce::StringArray& names, const juce::String& pattern)
{
    for (int i = 0; i < names.size(); ++i)
        if (names[i].containsIgnoreCase (pattern))
            return i;

    return -1;
}

std::optional<DeviceRules::LinkSides> DeviceRules::linkSidesFor (int model, bool inputOk, bool outputOk) noexcept
{
    if (inputOk && outputOk && needsBothPorts (model))
        return LinkSides { true, true };

    if (outputOk)
    {
        if (usesOnePort (model))
            return LinkSides { false, true };

        return std::nullopt;
    }

    if (inputOk && usesOnePort (model))
        return LinkSides { true, false };

    return std::nullopt;
}

bool DeviceRules::isLinkReady (int model, bool inputOk, bool outputOk, bool receivePage) noexcept
{
    return (inputOk && outputOk && needsBothPorts (model))
        || (outputOk && isFootController (model) && ! receivePage)
        || (inputOk && isFootController (model) && receivePage)
        || (outputOk && model == utilityModel);
}

bool DeviceRules::inputSelectorEnabled (int model, bool receivePage) noexcept
{
    return ! (usesOnePort (model) && ! receivePage);
}

bool DeviceRules::outputSelectorEnabled (int model, bool receivePage) noexcept
{
    return ! (usesOnePort (model) && receivePage);
}

juce::String DeviceRules::inputLabelAfterReset (int model, bool receivePage)
{
    return ((model == 2 || model == utilityModel) && ! receivePage) ? "Port is not needed" : "Select an Input Port";
}

juce::String DeviceRules::outputLabelAfterReset (int model, bool receivePage)
{
    return ((model == 2 || model == utilityModel) && receivePage) ? "Port is not needed" : "Select an Output Port";
}

bool DeviceRules::showsReceiveBegin (int model, bool inputOk, bool outputOk, bool receiveFolderChosen, bool receivePage) noexcept
{
    return receiveFolderChosen && receivePage
        && ((inputOk && outputOk && model == 3) || (inputOk && model == 2) || (inputOk && model == utilityModel));
}

std::optional<DeviceRules::BufferDelay> DeviceRules::bufferDelayFor (int model, bool receivePage) noexcept
{
    if (isFootController (model))
    {
        if (receivePage)
            return std::nullopt;

        return BufferDelay { model == 2 ? 150 : 300, true };
    }

    if (model == utilityModel)
        return BufferDelay { 300, true };

    return BufferDelay { 0, false };
}
