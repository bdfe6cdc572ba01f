#pragma once

#include <juce_graphics/juce_graphics.h>

/** The drawing vocabulary shared by every image of Morvane's skin: the skin's own fonts, push
    button faces in their states, and the small pictograms (folder, tick, arrows ...).

    All drawing goes into juce::Image objects with the software renderer, so no display is needed.
*/
class SkinPainter
{
public:
    /** The two looks of a push button: the teal action button and the plain white one. */
    enum class ButtonLook
    {
        primary,
        secondary
    };

    /** The states a button image is drawn in. */
    enum class ButtonState
    {
        normal,
        over,
        down,
        disabled
    };

    /** The pictograms a button or a help entry can carry. */
    enum class Pictogram
    {
        none,
        folder,
        play,
        book,
        video,
        support,
        forum,
        send,
        receive
    };

    SkinPainter (juce::Typeface::Ptr regularTypeface, juce::Typeface::Ptr boldTypeface);

    /** A font of the skin's own typefaces; tracking widens the letter spacing (0.1 = 10 %). */
    juce::Font getFont (bool bold, float height, float tracking = 0.0f) const;

    /** A fully transparent image of the given size. */
    static juce::Image makeImage (int width, int height);

    /** A rounded push button that fills the image, with its caption and an optional pictogram
        before it.
    */
    juce::Image drawPushButton (int width, int height, const juce::String& caption, ButtonLook look,
                                ButtonState state, Pictogram pictogram = Pictogram::none) const;

    /** Draws one line of text, fitted into the area (squeezed, never below 80 % width). */
    void drawLine (juce::Graphics& g, const juce::String& text, const juce::Font& font,
                   juce::Rectangle<float> area, juce::Colour colour,
                   juce::Justification justification) const;

    /** Draws a pictogram centred in the area. */
    void drawPictogram (juce::Graphics& g, Pictogram pictogram, juce::Rectangle<float> area,
                        juce::Colour colour) const;

    /** A white tick in a filled circle, or a white exclamation mark, filling the area. */
    static void drawTickMark (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill);
    static void drawErrorMark (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill);

    /** A small chevron pointing down (or up) centred in the area. */
    static void drawChevron (juce::Graphics& g, juce::Rectangle<float> area, bool down,
                             juce::Colour colour, float thickness);

    /** A filled triangle pointing up or down, centred in the area. */
    static void drawTriangle (juce::Graphics& g, juce::Rectangle<float> area, bool up, juce::Colour colour);

    /** A numbered badge: a filled circle with the digit in white. */
    void drawBadge (juce::Graphics& g, juce::Rectangle<float> area, int number, juce::Colour fill) const;

private:
    juce::Typeface::Ptr regular, bold;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinPainter)
};
