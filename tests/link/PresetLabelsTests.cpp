#include "PresetLabels.h"

#include <gtest/gtest.h>

namespace
{
constexpr juce::uint16 untouched = 9999;

juce::uint16 bankPreset (const juce::String& text)
{
    juce::uint16 index = untouched;
    parseBankPresetLabel (text, index);
    return index;
}

juce::uint16 letterNumber (const juce::String& text)
{
    juce::uint16 index = untouched;
    parseLetterNumberLabel (text, index);
    return index;
}

juce::uint16 bankLetter (const juce::String& text)
{
    juce::uint16 index = untouched;
    parseBankLetter (text, index);
    return index;
}
} // namespace

TEST (PresetLabels, BankPresetLabelsFormatEveryIndexAndStopAt512)
{
    juce::String label, bank, preset;

    EXPECT_TRUE (formatBankPresetLabel (0, label, bank, preset));
    EXPECT_EQ (label, "1-1");
    EXPECT_TRUE (formatBankPresetLabel (90, label, bank, preset));
    EXPECT_EQ (label, "12-3");
    EXPECT_TRUE (formatBankPresetLabel (511, label, bank, preset));
    EXPECT_EQ (label, "64-8");
    EXPECT_EQ (bank, "64");
    EXPECT_EQ (preset, "8");

    EXPECT_FALSE (formatBankPresetLabel (512, label, bank, preset));
    EXPECT_FALSE (formatBankPresetLabel (65535, label, bank, preset));
    EXPECT_EQ (label, "64-8");
    EXPECT_EQ (bank, "64");
    EXPECT_EQ (preset, "8");
}

TEST (PresetLabels, LetterNumberLabelsAndBankLettersFormatTheirRanges)
{
    juce::String label, letter, number;

    EXPECT_TRUE (formatLetterNumberLabel (0, label, letter, number));
    EXPECT_EQ (label, "A1");
    EXPECT_EQ (letter, "A");
    EXPECT_EQ (number, "1");
    EXPECT_TRUE (formatLetterNumberLabel (20, label, letter, number));
    EXPECT_EQ (label, "C5");
    EXPECT_TRUE (formatLetterNumberLabel (127, label, letter, number));
    EXPECT_EQ (label, "P8");
    EXPECT_FALSE (formatLetterNumberLabel (128, label, letter, number));
    EXPECT_EQ (label, "P8");

    juce::String bankText ("unchanged");
    EXPECT_TRUE (formatBankLetter (0, bankText));
    EXPECT_EQ (bankText, "A");
    EXPECT_TRUE (formatBankLetter (15, bankText));
    EXPECT_EQ (bankText, "P");
    EXPECT_FALSE (formatBankLetter (16, bankText));
    EXPECT_EQ (bankText, "P");
}

TEST (PresetLabels, BankPresetParserAcceptsItsFourShapes)
{
    EXPECT_EQ (bankPreset ("5"), 4);
    EXPECT_EQ (bankPreset ("1"), 0);
    EXPECT_EQ (bankPreset ("64"), 504);
    EXPECT_EQ (bankPreset ("01"), 0);
    EXPECT_EQ (bankPreset ("12-3"), 90);
    EXPECT_EQ (bankPreset ("7/8"), 55);
    EXPECT_EQ (bankPreset ("  3-8 \t"), 23);
    EXPECT_EQ (bankPreset ("64-8"), 511);
    EXPECT_EQ (bankPreset ("1 1"), 0);
}

TEST (PresetLabels, BankPresetParserRefusesEverythingElseAndKeepsTheIndex)
{
    for (auto text : { "", "   ", "0", "9", "x", "00", "65", "99", "0-1", "1-0", "1-9", "123",
                       "1x-2", "65-1", "00-1", "12-9", "1234", "12-34", "a-1", "1--", "3 - 8" })
    {
        juce::uint16 index = untouched;
        EXPECT_FALSE (parseBankPresetLabel (text, index)) << text;
        EXPECT_EQ (index, untouched) << text;
    }
}

TEST (PresetLabels, LetterNumberParserTakesLettersOfEitherCase)
{
    EXPECT_EQ (letterNumber ("A1"), 0);
    EXPECT_EQ (letterNumber ("c5"), 20);
    EXPECT_EQ (letterNumber ("C5"), 20);
    EXPECT_EQ (letterNumber ("p8"), 127);
    EXPECT_EQ (letterNumber (" P8 "), 127);

    for (auto text : { "A0", "A9", "Q1", "A12", "1A", "", "A", "@1", "`1" })
        EXPECT_EQ (letterNumber (text), untouched) << text;
}

TEST (PresetLabels, BankLetterParserTakesOneLetterAToP)
{
    EXPECT_EQ (bankLetter ("A"), 0);
    EXPECT_EQ (bankLetter ("p"), 15);
    EXPECT_EQ (bankLetter (" d "), 3);

    for (auto text : { "Q", "q", "", "AB", "1", "@" })
        EXPECT_EQ (bankLetter (text), untouched) << text;
}

TEST (PresetLabels, EveryFormattedLabelParsesBackToItsIndex)
{
    for (int i = 0; i < 512; ++i)
    {
        juce::String label, bank, preset;
        ASSERT_TRUE (formatBankPresetLabel ((juce::uint16) i, label, bank, preset));
        EXPECT_EQ (bankPreset (label), i) << label;
    }

    for (int i = 0; i < 128; ++i)
    {
        juce::String label, letter, number;
        ASSERT_TRUE (formatLetterNumberLabel ((juce::uint16) i, label, letter, number));
        EXPECT_EQ (letterNumber (label), i) << label;
        EXPECT_EQ (letterNumber (label.toLowerCase()), i) << label;
    }

    for (int i = 0; i < 16; ++i)
    {
        juce::String letter;
        ASSERT_TRUE (formatBankLetter ((juce::uint16) i, letter));
        EXPECT_EQ (bankLetter (letter), i);
    }
}
