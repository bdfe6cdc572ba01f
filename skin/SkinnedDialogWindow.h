#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A dialog window drawn from the skin, as the main window and the message boxes are: the skin's
    title bar with the window's name and a close button only, a fixed size, and the dialogs' body
    colour (DialogLook) behind its content. It is a dialog of the main window (OwnedWindows)
    before it first shows. Escape and the close button close it with the result 0. It takes the
    keyboard as it appears, as every dialog does (DialogKeyboard).

    The content is not owned. Message thread only.
*/
class SkinnedDialogWindow : public juce::DialogWindow
{
public:
    /** A window around the content, sized to it and centred on centreAround (the screen when
        null); not yet shown.
    */
    SkinnedDialogWindow (const juce::String& title, juce::Component& content, juce::Component* centreAround);
    ~SkinnedDialogWindow() override;

    /** Shows the content in a window over centreAround and runs it modally; returns the result it
        was closed with (0 for Escape and the close button). The one way the program's dialogs
        (backup choices, send options, the foot-controller backup) are run.
    */
    static int runModal (const juce::String& title, juce::Component& content, juce::Component* centreAround);

    /** Shows the window modally without waiting; it deletes itself once it closes. Returns it. */
    static SkinnedDialogWindow* launchAsync (const juce::String& title, juce::Component& content,
                                             juce::Component* centreAround);

    void closeButtonPressed() override;

protected:
    void parentHierarchyChanged() override;
    void visibilityChanged() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinnedDialogWindow)
};
