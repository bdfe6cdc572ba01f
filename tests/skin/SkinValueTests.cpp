#include "SkinManager.h"

#include <gtest/gtest.h>

TEST (SkinValues, ColourNamesAreExactAndCaseSensitive)
{
    EXPECT_EQ (SkinManager::parseColour ("tpxYellow"), 0xFFFFBC00u);
    EXPECT_EQ (SkinManager::parseColour ("tpxYellowDim"), 0xFFA47C16u);
    EXPECT_EQ (SkinManager::parseColour ("black"), 0xFF000000u);
    EXPECT_EQ (SkinManager::parseColour ("white"), 0xFFFFFFFFu);

    // Not a name: read from the hex digits it happens to hold ("BLACK" holds B, A, C).
    EXPECT_EQ (SkinManager::parseColour ("BLACK"), 0x00000BACu);
    EXPECT_EQ (SkinManager::parseColour ("White"), 0x0000000Eu);
}

TEST (SkinValues, OtherColoursAreHexadecimalArgbWhereOnlyTheLastEightDigitsCount)
{
    EXPECT_EQ (SkinManager::parseColour ("FF102030"), 0xFF102030u);
    EXPECT_EQ (SkinManager::parseColour ("ff102030"), 0xFF102030u);
    EXPECT_EQ (SkinManager::parseColour ("#FF102030"), 0xFF102030u);
    EXPECT_EQ (SkinManager::parseColour ("0x80FFFFFF"), 0x80FFFFFFu);
    EXPECT_EQ (SkinManager::parseColour ("12FF102030"), 0xFF102030u);
    EXPECT_EQ (SkinManager::parseColour ("FF 10 20 30"), 0xFF102030u);

    // Six digits leave the alpha at 0: fully transparent, as is an empty text.
    EXPECT_EQ (SkinManager::parseColour ("102030"), 0x00102030u);
    EXPECT_EQ (SkinManager::parseColour (""), 0u);
    EXPECT_EQ (SkinManager::parseColour ("xyz"), 0u);
}

TEST (SkinValues, JustificationNamesMapToTheirFlags)
{
    const std::pair<const char*, int> expected[] = {
        { "left", 1 }, { "right", 2 }, { "horizontallyCentred", 4 }, { "top", 8 }, { "bottom", 16 },
        { "verticallyCentred", 32 }, { "horizontallyJustified", 64 }, { "centred", 36 }, { "centredLeft", 33 },
        { "centredRight", 34 }, { "centredTop", 12 }, { "centredBottom", 20 }, { "topLeft", 9 },
        { "topRight", 10 }, { "bottomLeft", 17 }, { "bottomRight", 18 },
    };

    for (const auto& [name, flags] : expected)
        EXPECT_EQ (SkinManager::parseJustification (name).getFlags(), flags) << name;
}

TEST (SkinValues, UnknownJustificationsAreReadAsIntegers)
{
    EXPECT_EQ (SkinManager::parseJustification ("LEFT").getFlags(), 0);
    EXPECT_EQ (SkinManager::parseJustification ("Centred").getFlags(), 0);
    EXPECT_EQ (SkinManager::parseJustification ("36").getFlags(), 36);
    EXPECT_EQ (SkinManager::parseJustification ("17abc").getFlags(), 17);
    EXPECT_EQ (SkinManager::parseJustification ("").getFlags(), 0);
}

TEST (SkinValues, RectanglesAcceptSpacesCommasAndBoth)
{
    const juce::Rectangle<int> expected (10, 20, 30, 40);

    EXPECT_EQ (SkinManager::parseRectangle ("10 20 30 40"), expected);
    EXPECT_EQ (SkinManager::parseRectangle ("10,20,30,40"), expected);
    EXPECT_EQ (SkinManager::parseRectangle ("10, 20, 30, 40"), expected);
    EXPECT_EQ (SkinManager::parseRectangle ("  10  20 30 40 "), expected);
    EXPECT_EQ (SkinManager::parseRectangle ("10;20;\t30 ,40"), expected);
    EXPECT_EQ (SkinManager::parseRectangle ("-5 7 0 3"), juce::Rectangle<int> (-5, 7, 0, 3));
}

TEST (SkinValues, ShortOrEmptyRectanglesFillWithZeros)
{
    EXPECT_EQ (SkinManager::parseRectangle ("20 150"), juce::Rectangle<int> (20, 150, 0, 0));
    EXPECT_EQ (SkinManager::parseRectangle (""), juce::Rectangle<int>());
    EXPECT_EQ (SkinManager::parseRectangle ("a b c d"), juce::Rectangle<int>());
}

TEST (SkinValues, ImagesAreKeyedByTheSixtyFourBitNameHash)
{
    // Multiplier 101 over the characters, wrapping at 64 bits: the keys under which the skin's
    // images are cached, and which the callers compute from the names in the skin.
    EXPECT_EQ (juce::String ("").hashCode64(), 0);
    EXPECT_EQ (juce::String ("a").hashCode64(), 97);
    EXPECT_EQ (juce::String ("plus.png").hashCode64(), 12123801817115723LL);
    EXPECT_EQ (juce::String ("Plus.png").hashCode64(), 8692968690373291LL);
    EXPECT_EQ (juce::String ("btn-ok.png").hashCode64(), -2231351505577248238LL);
    EXPECT_EQ (juce::String (SkinManager::missingImageName).hashCode64(), 5020028344556152131LL);
}
