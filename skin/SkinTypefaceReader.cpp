#include "SkinTypefaceReader.h"

#include <cmath>
#include <set>

namespace
{
/** Reads the serialised fields in the framework's order, checking each before it is used. */
class Walker
{
public:
    explicit Walker (const juce::MemoryBlock& data) : in (data, false) {}

    juce::int64 left() { return in.getNumBytesRemaining(); }

    bool readChar (juce::juce_wchar& c)
    {
        if (left() < 2)
            return false;

        auto n = (juce::uint32) (juce::uint16) in.readShort();

        if (n >= 0xd800 && n <= 0xdfff)
        {
            if (left() < 2)
                return false;

            const auto next = (juce::uint32) (juce::uint16) in.readShort();

            // The framework would take a lone high surrogate without its low half as a character.
            if (n > 0xdbff || next < 0xdc00 || next > 0xdfff)
                return false;

            n = 0x10000 + (((n - 0xd800) << 10) | (next - 0xdc00));
        }

        c = (juce::juce_wchar) n;
        return true;
    }

    bool readNumber()
    {
        if (left() < 4)
            return false;

        const auto value = in.readFloat();
        return std::isfinite (value) && std::abs (value) <= SkinTypefaceReader::maxCoordinate;
    }

    bool readInt (int& value)
    {
        if (left() < 4)
            return false;

        value = in.readInt();
        return true;
    }

    bool skipName()
    {
        for (;;)
        {
            if (left() < 1)
                return false;

            if (in.readByte() == 0)
                return true;
        }
    }

    /** One glyph's outline, as juce::Path::loadPathFromStream reads it. */
    bool readPath()
    {
        for (;;)
        {
            if (left() < 1)
                return false;

            int operands = 0;

            switch (in.readByte())
            {
                case 'm': case 'l': operands = 2; break;
                case 'q':           operands = 4; break;
                case 'b':           operands = 6; break;
                case 'c': case 'n': case 'z': break;
                case 'e':           return true;
                default:            return false;
            }

            for (int i = 0; i < operands; ++i)
                if (! readNumber())
                    return false;
        }
    }

    void skip (int bytes) { in.skipNextBytes (bytes); }

private:
    juce::MemoryInputStream in;
};
} // namespace

juce::Result SkinTypefaceReader::check (const juce::MemoryBlock& serialised)
{
    const auto damaged = juce::Result::fail ("the font is damaged");

    if ((juce::int64) serialised.getSize() > maxSerialisedBytes)
        return juce::Result::fail ("the font is too large");

    Walker walker (serialised);
    juce::juce_wchar c = 0;

    if (! walker.skipName() || walker.left() < 2)
        return damaged;

    walker.skip (2); // bold, italic

    if (! walker.readNumber() || ! walker.readChar (c))
        return damaged;

    int numGlyphs = 0;

    // Each glyph takes at least a character, a width and the outline's end marker.
    if (! walker.readInt (numGlyphs) || numGlyphs < 0 || (juce::int64) numGlyphs * 7 > walker.left())
        return damaged;

    if (numGlyphs > maxGlyphs)
        return juce::Result::fail ("the font has more than " + juce::String (maxGlyphs) + " glyphs");

    std::set<juce::juce_wchar> characters;

    for (int i = 0; i < numGlyphs; ++i)
    {
        if (! walker.readChar (c) || ! walker.readNumber() || ! walker.readPath())
            return damaged;

        if (! characters.insert (c).second)
            return juce::Result::fail ("the font has two glyphs for one character");
    }

    int numPairs = 0;

    if (! walker.readInt (numPairs) || numPairs < 0 || (juce::int64) numPairs * 8 > walker.left())
        return damaged;

    if (numPairs > maxKerningPairs)
        return juce::Result::fail ("the font has more than " + juce::String (maxKerningPairs) + " kerning pairs");

    for (int i = 0; i < numPairs; ++i)
    {
        juce::juce_wchar first = 0, second = 0;

        if (! walker.readChar (first) || ! walker.readChar (second) || ! walker.readNumber())
            return damaged;

        if (characters.count (first) == 0 || characters.count (second) == 0)
            return juce::Result::fail ("the font kerns a character it lacks");
    }

    return juce::Result::ok();
}

juce::Typeface::Ptr SkinTypefaceReader::read (const juce::MemoryBlock& compressed, juce::String& problem)
{
    juce::MemoryBlock serialised;
    {
        juce::MemoryInputStream source (compressed, false);
        juce::GZIPDecompressorInputStream decompressed (source);
        decompressed.readIntoMemoryBlock (serialised, maxSerialisedBytes + 1);
    }

    const auto result = check (serialised);

    if (result.failed())
    {
        problem = result.getErrorMessage();
        return nullptr;
    }

    return build (serialised);
}

juce::Typeface::Ptr SkinTypefaceReader::build (const juce::MemoryBlock& serialised)
{
    // What juce::CustomTypeface's own reader does, from the bytes decompressed once: that reader
    // takes only the compressed form.
    juce::MemoryInputStream in (serialised, false);

    const auto readChar = [&in]
    {
        auto n = (juce::uint32) (juce::uint16) in.readShort();

        if (n >= 0xd800 && n <= 0xdfff)
            n = 0x10000 + (((n - 0xd800) << 10) | ((juce::uint32) (juce::uint16) in.readShort() - 0xdc00));

        return (juce::juce_wchar) n;
    };

    juce::Typeface::Ptr result = new juce::CustomTypeface();
    auto& typeface = static_cast<juce::CustomTypeface&> (*result);

    const auto name = in.readString();
    const auto bold = in.readBool();
    const auto italic = in.readBool();
    const auto ascent = in.readFloat();
    typeface.setCharacteristics (name, ascent, bold, italic, readChar());

    for (int i = 0, glyphs = in.readInt(); i < glyphs; ++i)
    {
        const auto c = readChar();
        const auto width = in.readFloat();
        juce::Path outline;
        outline.loadPathFromStream (in);
        typeface.addGlyph (c, outline, width);
    }

    for (int i = 0, pairs = in.readInt(); i < pairs; ++i)
    {
        const auto first = readChar();
        const auto second = readChar();
        typeface.addKerningPair (first, second, in.readFloat());
    }

    return result;
}
