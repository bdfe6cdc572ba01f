#pragma once

#include "SkinArtist.h"

/** Draws a rough preview of a dialog from its section of the skin file, for the contact sheet:
    the framework's grey window background, toggles with their texts, group buttons, text
    labels, spin controls with the skin's step buttons, image buttons, dividers and panels, each
    where the skin places it. It approximates the framework's drawing closely enough to show
    overlaps, clipped texts and misaligned rows; it is not the program's own drawing.
*/
class DialogPreview
{
public:
    DialogPreview (const SkinPainter& painter, const SkinArtist::NamedImages& images);

    /** The section drawn into a width x height image. Widgets named in shifted move down by shift
        pixels (the Orvix II dialogs' layout for an unknown display offset); widgets named in
        skipped are left out (hidden ones, or those of another page of the same section).
    */
    juce::Image draw (const juce::XmlElement& section, int width, int height,
                      const juce::StringArray& shifted = {}, int shift = 0,
                      const juce::StringArray& skipped = {}) const;

private:
    juce::Image find (const juce::String& name) const;
    static juce::Rectangle<int> parseRect (const juce::String& text);

    void drawToggle (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const;
    void drawGroupButton (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const;
    void drawTextBox (juce::Graphics& g, const juce::String& text, juce::Colour ink, juce::Colour background,
                      juce::Rectangle<int> area) const;
    void drawSpin (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const;
    void drawLabel (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const;

    const SkinPainter& painter;
    const SkinArtist::NamedImages& images;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DialogPreview)
};
