#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** Builds the console's widgets from the skin: the backgrounds, the tab, device, port, file,
    transfer and help widgets at their fixed places, the skin's folder link, and the labels of
    copyright and version. The console owns every widget; this only makes and places them.
*/
class ConsoleLayout
{
public:
    explicit ConsoleLayout (MorvaneDialog& console);

    /** Makes every widget of the console and places it. */
    void buildFromSkin();

    static juce::String variant (const juce::String& image, const juce::String& suffix);
    void addChild (juce::Component& child, bool visible);
    std::unique_ptr<juce::ImageButton> makeImageButton (const juce::String& name, const juce::String& image,
                                                        const juce::String& down, const juce::String& over,
                                                        juce::Rectangle<int> bounds, bool visible);
    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text, juce::Rectangle<int> bounds, bool visible);
    std::unique_ptr<juce::DrawableButton> makeSelector (const juce::String& name, juce::Rectangle<int> bounds);

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleLayout)
};
