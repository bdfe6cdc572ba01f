#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class SkinManager;

/** A read-only multi-line text in a skin typeface, for longer texts such as warnings and release
    notes. A selection does not show: the highlight has the background colour. It is read, not
    used: the keyboard's Tab passes over it.
*/
class TPXMultiLineLabelComponent : public juce::TextEditor
{
public:
    /** Builds the text at (x, y, width, height). The font is the skin typeface typefaceName at
        fontSize when a skin is given and the name is not empty, else the editor's default font.
    */
    TPXMultiLineLabelComponent (const SkinManager* skin, int x, int y, int width, int height,
                                const juce::String& editorName, const juce::String& text,
                                juce::Colour backgroundColour, juce::Colour textColour,
                                const juce::String& typefaceName, float fontSize);
    ~TPXMultiLineLabelComponent() override = default;

    int getLayoutWidth() const noexcept { return layoutWidth; }
    int getLayoutHeight() const noexcept { return layoutHeight; }
    juce::Font getLabelFont() const { return labelFont; }

private:
    int layoutWidth = 0;
    int layoutHeight = 0;
    juce::Font labelFont;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXMultiLineLabelComponent)
};
