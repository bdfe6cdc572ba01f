#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Everything the console and the application ask of the user: message boxes, OK/Cancel
    questions, pop-up menus, file and folder choosers, and the state of the modifier keys.

    The program uses JuceUserDialogs; tests put a scripted double in its place so that no modal
    loop ever waits for a real click. All calls are made on the message thread.
*/
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /** A modal box with one "OK" button. */
    virtual void showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) = 0;

    /** A modal box with "OK" and "Cancel"; returns true for "OK". */
    virtual bool askOkCancel (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) = 0;

    /** Shows the menu at the given component and returns the chosen item id, 0 when dismissed. */
    virtual int showMenu (const juce::PopupMenu& menu, juce::Component* target) = 0;

    /** Lets the user pick a file to open; returns a non-existent File when cancelled. */
    virtual juce::File chooseFileToOpen (const juce::String& title, const juce::File& start, const juce::String& patterns) = 0;

    /** Lets the user pick a folder; returns a non-existent File when cancelled. */
    virtual juce::File chooseFolder (const juce::String& title, const juce::File& start) = 0;

    /** Lets the user pick a file to save; returns a non-existent File when cancelled. */
    virtual juce::File chooseFileToSave (const juce::String& title, const juce::File& start, const juce::String& patterns) = 0;

    /** The modifier keys held right now. */
    virtual juce::ModifierKeys currentModifiers() = 0;
};
