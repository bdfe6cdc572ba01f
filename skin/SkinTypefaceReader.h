#pragma once

#include <juce_graphics/juce_graphics.h>

/** Reads a serialised typeface (".stf", the framework's gzip-compressed juce::CustomTypeface
    format) from a skin archive, after checking it the way juce::CustomTypeface would read it.

    The framework's reader trusts its input: counts that exceed the data make it loop over
    billions of glyphs, each glyph and each kerning pair is looked up among all glyphs (so
    40,000 of each take minutes), and coordinates that are not finite reach the drawing code. A
    font is refused unless every count fits its data and the caps below, no character has two
    glyphs, every kerning pair names two characters the font has, and every number is finite and
    within maxCoordinate.
*/
class SkinTypefaceReader
{
public:
    /** More glyphs than a skin font needs (the font aid renders 256). */
    static constexpr int maxGlyphs = 2048;

    /** More kerning pairs than a skin font needs. */
    static constexpr int maxKerningPairs = 32768;

    /** Glyph coordinates, widths, kerning amounts and the ascent are in units of the font's
        height; no real glyph comes near this.
    */
    static constexpr float maxCoordinate = 1000.0f;

    /** Fonts larger than this, decompressed, are refused. */
    static constexpr int maxSerialisedBytes = 16 * 1024 * 1024;

    /** Checks decompressed typeface data; the reason when it is refused. */
    static juce::Result check (const juce::MemoryBlock& serialised);

    /** The typeface of a compressed ".stf" entry, or null with the reason in problem. The entry
        is decompressed once.
    */
    static juce::Typeface::Ptr read (const juce::MemoryBlock& compressed, juce::String& problem);

private:
    /** The typeface of decompressed data that check() has passed. */
    static juce::Typeface::Ptr build (const juce::MemoryBlock& serialised);

    SkinTypefaceReader() = delete;
};
