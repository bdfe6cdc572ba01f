#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Where the parts of a skinned message box lie: a title strip across the top, the icon and the
    message below it, and a footer with the buttons, right-aligned.

    The message is wrapped to a comfortable reading width (wider only for a word that would not fit
    otherwise, such as a web address), and the box is sized around it, so every part lies inside
    the box. All rectangles are in the box's own coordinates.
*/
class MorvaneAlertLayout
{
public:
    static constexpr int titleBarHeight = 28;
    static constexpr int margin = 20;
    static constexpr int iconSize = 36;
    static constexpr int iconGap = 16;
    static constexpr int readingWidth = 380;
    static constexpr int widestText = 680;
    static constexpr int minimumWidth = 340;
    static constexpr int buttonGap = 10;
    static constexpr int footerPadding = 12;

    /** Lays out a box for the message; hasIcon reserves the icon's place; buttonWidths are the
        buttons' widths in order (placed left to right), all buttonHeight high.
    */
    static MorvaneAlertLayout compute (const juce::String& message, const juce::Font& messageFont, juce::Colour textColour,
                                       bool hasIcon, const juce::Array<int>& buttonWidths, int buttonHeight);

    juce::Rectangle<int> box;        // the whole box, at (0, 0)
    juce::Rectangle<int> titleBar;
    juce::Rectangle<int> icon;       // empty without an icon
    juce::Rectangle<int> message;
    juce::Rectangle<int> footer;
    juce::Array<juce::Rectangle<int>> buttons;
    juce::TextLayout text;           // the message, wrapped to the message area's width

private:
    JUCE_LEAK_DETECTOR (MorvaneAlertLayout)
};
