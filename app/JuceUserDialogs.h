#pragma once

#include "UserDialogs.h"

/** The real UserDialogs: JUCE's message boxes, pop-up menus and file choosers, run modally. */
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

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceUserDialogs)
};
