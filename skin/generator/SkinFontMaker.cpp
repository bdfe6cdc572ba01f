#include "SkinFontMaker.h"

#include <cmath>

juce::Array<juce::juce_wchar> SkinFontMaker::getCharacterSet()
{
    juce::Array<juce::juce_wchar> characters;

    for (juce::juce_wchar c = 32; c <= 126; ++c)
        characters.add (c);

    for (juce::juce_wchar c = 160; c <= 255; ++c)
        characters.add (c);

    // Dashes, quotes, bullet, ellipsis and the euro sign turn up in pasted texts and release notes.
    for (auto c : { 0x2013, 0x2014, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2026, 0x20ac })
        characters.add ((juce::juce_wchar) c);

    return characters;
}

juce::MemoryBlock SkinFontMaker::makeTypeface (const juce::File& trueTypeFile,
                                               const juce::String& familyName,
                                               bool bold,
                                               juce::String& error)
{
    juce::MemoryBlock fontData;

    if (! trueTypeFile.loadFileAsData (fontData) || fontData.isEmpty())
    {
        error = "cannot read the font " + trueTypeFile.getFullPathName();
        return {};
    }

    auto source = juce::Typeface::createSystemTypefaceFor (fontData.getData(), fontData.getSize());

    if (source == nullptr)
    {
        error = "not a usable font: " + trueTypeFile.getFullPathName();
        return {};
    }

    juce::CustomTypeface target;
    target.setCharacteristics (familyName, bold ? "Bold" : "Regular", source->getAscent(), ' ');

    juce::Array<juce::juce_wchar> copied;
    juce::HashMap<int, float> advance;

    for (auto c : getCharacterSet())
    {
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        source->getGlyphPositions (juce::String::charToString (c), glyphs, offsets);

        if (glyphs.size() != 1 || glyphs.getFirst() < 0 || offsets.size() < 2)
            continue;

        juce::Path outline;

        if (! source->getOutlineForGlyph (glyphs.getFirst(), outline))
            continue;

        target.addGlyph (c, outline, offsets[1]);
        copied.add (c);
        advance.set ((int) c, offsets[1]);
    }

    if (copied.size() < 95)
    {
        error = "the font " + trueTypeFile.getFileName() + " lacks printable ASCII glyphs";
        return {};
    }

    // Kerning in both orders of every pair; only pairs that the font really kerns are kept.
    for (auto first : copied)
    {
        for (auto second : copied)
        {
            juce::Array<int> glyphs;
            juce::Array<float> offsets;
            source->getGlyphPositions (juce::String::charToString (first) + juce::String::charToString (second),
                                       glyphs, offsets);

            if (offsets.size() < 3)
                continue;

            const auto extra = offsets[1] - advance[(int) first];

            if (std::abs (extra) > 1.0e-4f)
                target.addKerningPair (first, second, extra);
        }
    }

    juce::MemoryOutputStream out;

    if (! target.writeToStream (out))
    {
        error = "cannot serialise the typeface " + familyName;
        return {};
    }

    return out.getMemoryBlock();
}

juce::Typeface::Ptr SkinFontMaker::loadTypeface (const juce::MemoryBlock& serialisedTypeface)
{
    if (serialisedTypeface.isEmpty())
        return {};

    juce::MemoryInputStream in (serialisedTypeface, false);
    return new juce::CustomTypeface (in);
}
