#pragma once

#include <juce_graphics/juce_graphics.h>

/** Turns an installed TrueType font into the skin's serialised typeface format (".stf", the
    gzip-compressed stream of juce::CustomTypeface::writeToStream).

    The glyph outlines and advance widths of character codes 32 to 255, plus a few typographic
    marks that texts and ellipses use, are copied from the TrueType font, together with the
    kerning between every pair of them. The typeface is given the family name passed in, so that
    a skin font never reaches the program without a name.
*/
class SkinFontMaker
{
public:
    SkinFontMaker() = default;

    /** Reads the TrueType file and serialises it under the given family name.
        Returns an empty block and fills error when the font cannot be read or yields no glyphs.
    */
    static juce::MemoryBlock makeTypeface (const juce::File& trueTypeFile,
                                           const juce::String& familyName,
                                           bool bold,
                                           juce::String& error);

    /** Loads a serialised typeface back, as the skin engine does; null when the data is empty. */
    static juce::Typeface::Ptr loadTypeface (const juce::MemoryBlock& serialisedTypeface);

    /** The character codes that every skin font carries. */
    static juce::Array<juce::juce_wchar> getCharacterSet();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinFontMaker)
};
