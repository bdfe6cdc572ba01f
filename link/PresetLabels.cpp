#include "PresetLabels.h"

namespace
{
constexpr int presetsPerBank = 8;
constexpr int numberedBanks = 64;
constexpr int letteredBanks = 16;

bool isDigit (juce::juce_wchar c) noexcept
{
    return c >= '0' && c <= '9';
}

int digitValue (juce::juce_wchar c) noexcept
{
    return (int) (c - '0');
}

bool isPresetDigit (juce::juce_wchar c) noexcept
{
    return c >= '1' && c <= '8';
}

/** The bank 0-15 of a letter A-P or a-p, or -1. */
int bankOfLetter (juce::juce_wchar c) noexcept
{
    if (c >= 'A' && c <= 'P')
        return (int) (c - 'A');

    if (c >= 'a' && c <= 'p')
        return (int) (c - 'a');

    return -1;
}

juce::String letterOf (int bank)
{
    return juce::String::charToString ((juce::juce_wchar) ('A' + bank));
}
} // namespace

bool formatBankPresetLabel (juce::uint16 index, juce::String& label, juce::String& bank, juce::String& preset)
{
    if (index >= numberedBanks * presetsPerBank)
        return false;

    bank = juce::String (index / presetsPerBank + 1);
    preset = juce::String (index % presetsPerBank + 1);
    label = bank + "-" + preset;
    return true;
}

bool formatLetterNumberLabel (juce::uint16 index, juce::String& label, juce::String& letter, juce::String& number)
{
    if (index >= letteredBanks * presetsPerBank)
        return false;

    letter = letterOf (index / presetsPerBank);
    number = juce::String (index % presetsPerBank + 1);
    label = letter + number;
    return true;
}

bool formatBankLetter (juce::uint16 bank, juce::String& letter)
{
    if (bank >= letteredBanks)
        return false;

    letter = letterOf (bank);
    return true;
}

bool parseBankPresetLabel (const juce::String& text, juce::uint16& index)
{
    const auto t = text.trim();
    int bank = 1;
    juce::juce_wchar presetChar = '1';

    switch (t.length())
    {
        case 1:
            presetChar = t[0];
            break;

        case 2:
            if (! (isDigit (t[0]) && isDigit (t[1])))
                return false;

            bank = digitValue (t[0]) * 10 + digitValue (t[1]);
            break;

        case 3:
            if (! isDigit (t[0]) || isDigit (t[1]))
                return false;

            bank = digitValue (t[0]);
            presetChar = t[2];
            break;

        case 4:
            if (! (isDigit (t[0]) && isDigit (t[1])) || isDigit (t[2]))
                return false;

            bank = digitValue (t[0]) * 10 + digitValue (t[1]);
            presetChar = t[3];
            break;

        default:
            return false;
    }

    if (bank < 1 || bank > numberedBanks || ! isPresetDigit (presetChar))
        return false;

    index = (juce::uint16) ((bank - 1) * presetsPerBank + digitValue (presetChar) - 1);
    return true;
}

bool parseLetterNumberLabel (const juce::String& text, juce::uint16& index)
{
    const auto t = text.trim();

    if (t.length() != 2)
        return false;

    const auto bank = bankOfLetter (t[0]);

    if (bank < 0 || ! isPresetDigit (t[1]))
        return false;

    index = (juce::uint16) (bank * presetsPerBank + digitValue (t[1]) - 1);
    return true;
}

bool parseBankLetter (const juce::String& text, juce::uint16& index)
{
    const auto t = text.trim();

    if (t.length() != 1)
        return false;

    const auto bank = bankOfLetter (t[0]);

    if (bank < 0)
        return false;

    index = (juce::uint16) bank;
    return true;
}
