#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look of the program's dialogs (backup choices, update windows) as the skin's section
    "DialogSkin" gives it: the body colour they share with the console's pages, check boxes and
    radio buttons that read as what they are, and a progress bar whose text stays legible.

    Check boxes (a toggle in no radio group) are drawn as a square with a tick; the one-of choices
    (a toggle in a radio group) as a circle with a dot. Absent attributes keep the defaults below,
    which match the program's own skin. Drawing only; message thread.
*/
struct DialogLook
{
    juce::Colour background     { 0xffe6eaee };
    juce::Colour text           { 0xff1f2a35 };
    juce::Colour toggleFill     { 0xffffffff };
    juce::Colour toggleBorder   { 0xff8e9aa6 };
    juce::Colour toggleMark     { 0xff2d7d84 };
    juce::Colour toggleDisabled { 0xffc9d0d7 };
    juce::Colour progressBorder { 0xffbcc5ce };
    int titleBarHeight = 26;

    /** The look that the component's look-and-feel gives the dialogs; the defaults when it is
        not the program's skinned one.
    */
    static DialogLook of (juce::Component& component);

    /** Reads the section's attributes over the defaults; any other element leaves them. */
    void read (const juce::XmlElement& section);

    /** True for a toggle that is one of several choices (it has a radio group). */
    static bool isRadio (const juce::Component& toggle);

    /** The mark of a toggle in the area (x, y, w, h) that the framework gives: a ticked square,
        or a circle with a dot for a radio button; dimmed when disabled, the border in the mark's
        colour while the mouse is over it.
    */
    void drawToggleMark (juce::Graphics&, const juce::Component& toggle, juce::Rectangle<float> area, bool ticked,
                         bool enabled, bool highlighted) const;

    /** A flat bar: the background, the done part in the foreground colour, a border, and the text
        in the text colour over the open part and in the background colour over the done part.
        A progress outside 0 to 1 fills nothing.
    */
    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height, double progress,
                          const juce::String& textToShow) const;
};
