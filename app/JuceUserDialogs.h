#pragma once

#include "UserDialogs.h"

/** The real UserDialogs: JUCE's message boxes, pop-up menus and file choosers, run modally.

    Message boxes are centred on the owner window once one is set; a pop-up menu opens below the
    component it belongs to and is at least as wide as it.
*/
class JuceUserDialogs : public UserDialogs
{
public:
    JuceUserDialogs() = default;

    void showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) override;
    bool askOkCancel (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) override;
    int showMenu (const juce::PopupMenu& menu, juce::Component* target) override;
    juce::File chooseFileToOpen (const juce::String& title, const juce::File& start, const juce::String& patterns) override;
    juce::File chooseFolder (const juce::String& title, const juce::File& start) override;
    juce::File chooseFileToSave (const juce::String& title, const juce::File& start, const juce::String& patterns) override;
    juce::ModifierKeys currentModifiers() override;

    /** The window that boxes are centred on (not owned; forgotten when it is deleted). */
    void setOwner (juce::Component* window) { owner = window; }

    /** The options with which a menu is shown at the given component (none: at the mouse). */
    static juce::PopupMenu::Options menuOptionsFor (juce::Component* target);

private:
    juce::Component* boxOwner() const;

    juce::Component::SafePointer<juce::Component> owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceUserDialogs)
};
