#pragma once

#include <juce_core/juce_core.h>

/*  Preset and bank labels.

    Some devices name a preset by a label instead of a number. An index is zero-based and a bank
    holds 8 presets:
    - bank-preset labels "12-3": bank = index / 8 + 1 (1-64), preset = index % 8 + 1 (1-8), index 0-511;
    - letter-number labels "C5": letter = 'A' + index / 8 ('A'-'P'), number = index % 8 + 1, index 0-127;
    - bank letters "A" to "P" for banks 0-15.

    Every parser first trims white space and then decides by the number of characters left; on
    failure it returns false and leaves the index as it was. Every formatter returns false for an
    index out of its range and then leaves its texts as they were.
*/

/** Formats index 0-511 as "bank-preset" ("1-1" to "64-8") and its two parts. */
bool formatBankPresetLabel (juce::uint16 index, juce::String& label, juce::String& bank, juce::String& preset);

/** Formats index 0-127 as letter and number ("A1" to "P8") and its two parts. */
bool formatLetterNumberLabel (juce::uint16 index, juce::String& label, juce::String& letter, juce::String& number);

/** Formats bank 0-15 as a letter "A" to "P". */
bool formatBankLetter (juce::uint16 bank, juce::String& letter);

/** Reads a bank-preset label. Accepted shapes: "5" (a preset 1-8 of bank 1), "12" (the first preset
    of bank 1-64, a leading zero allowed), "3-8" and "12-3" (any non-digit between bank and preset).
*/
bool parseBankPresetLabel (const juce::String& text, juce::uint16& index);

/** Reads a letter-number label: a letter A-P or a-p and a digit 1-8. */
bool parseLetterNumberLabel (const juce::String& text, juce::uint16& index);

/** Reads a bank letter A-P or a-p as 0-15. */
bool parseBankLetter (const juce::String& text, juce::uint16& index);
