#pragma once

#include "SkinPainter.h"

#include <utility>
#include <vector>

/** Draws every image of Morvane's skin archive, each under its entry name.

    The names are the ones the program asks for by fixed name (console, send dialog, foot
    controller window, spin controls) and the ones MV.qorby names for its widgets; the generator
    checks both lists against what is drawn here.
*/
class SkinArtist
{
public:
    /** Entry name and image, in the order they go into the archive. */
    using NamedImages = std::vector<std::pair<juce::String, juce::Image>>;

    explicit SkinArtist (const SkinPainter& painter);

    /** Every image of the skin. */
    NamedImages drawAll() const;

private:
    void addPushButtons (NamedImages& images) const;
    void addConsoleImages (NamedImages& images) const;
    void addHelpEntries (NamedImages& images) const;
    void addSmallControls (NamedImages& images) const;
    void addTitleBarButtons (NamedImages& images) const;

    juce::Image drawTab (const juce::String& caption, SkinPainter::Pictogram pictogram, int look) const;
    juce::Image drawHelpHeading (const juce::String& caption) const;
    juce::Image drawHelpEntry (const juce::String& caption, SkinPainter::Pictogram pictogram,
                               SkinPainter::ButtonState state) const;
    juce::Image drawDropdown() const;
    juce::Image drawStepper (bool up, bool pressed) const;
    juce::Image drawFolderButton (SkinPainter::ButtonState state) const;
    juce::Image drawTitleBarButton (bool close, SkinPainter::ButtonState state) const;
    static juce::Image drawDivider (int width);
    static juce::Image drawMissingImage();

    const SkinPainter& painter;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinArtist)
};
