#pragma once

#include "SkinArtist.h"

/** A PNG page for people to look at the skin: both console pages composed with the images the
    console lays over them at their fixed places, previews of the dialogs laid out from the skin
    file, every image of the archive with its name and size, and samples of the skin's fonts.
*/
class ContactSheet
{
public:
    /** The named typefaces to show as samples. */
    using NamedTypefaces = std::vector<std::pair<juce::String, juce::Typeface::Ptr>>;

    ContactSheet (const juce::XmlElement& skinRoot, const SkinPainter& painter,
                  const SkinArtist::NamedImages& images, NamedTypefaces typefaces);

    /** Draws the sheet. */
    juce::Image draw() const;

private:
    juce::Image find (const juce::String& name) const;
    juce::Image composeConsole (bool receivePage) const;
    juce::Image composeTitleBars() const;
    juce::Image composeMenuAndMessage() const;
    SkinArtist::NamedImages makePreviews() const;
    int drawPreviews (juce::Graphics& g, const SkinArtist::NamedImages& previews) const;
    int drawCells (juce::Graphics& g, int top) const;
    int drawFontSamples (juce::Graphics& g, int top) const;

    const juce::XmlElement& root;
    const SkinPainter& painter;
    const SkinArtist::NamedImages& images;
    NamedTypefaces typefaces;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContactSheet)
};
