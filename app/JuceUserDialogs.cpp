#include "JuceUserDialogs.h"

void JuceUserDialogs::showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    juce::AlertWindow::showMessageBox (icon, title, text, "OK");
}

bool JuceUserDialogs::askOkCancel (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    return juce::AlertWindow::showOkCancelBox (icon, title, text, "OK", "Cancel");
}

int JuceUserDialogs::showMenu (const juce::PopupMenu& menu, juce::Component* target)
{
    auto options = juce::PopupMenu::Options();

    if (target != nullptr)
        options = options.withTargetComponent (target);

    auto shown = menu;
    return shown.showMenu (options);
}

juce::File JuceUserDialogs::chooseFileToOpen (const juce::String& title, const juce::File& start, const juce::String& patterns)
{
    juce::FileChooser chooser (title, start, patterns);
    return chooser.browseForFileToOpen() ? chooser.getResult() : juce::File();
}

juce::File JuceUserDialogs::chooseFolder (const juce::String& title, const juce::File& start)
{
    juce::FileChooser chooser (title, start);
    return chooser.browseForDirectory() ? chooser.getResult() : juce::File();
}

juce::File JuceUserDialogs::chooseFileToSave (const juce::String& title, const juce::File& start, const juce::String& patterns)
{
    juce::FileChooser chooser (title, start, patterns);
    return chooser.browseForFileToSave (true) ? chooser.getResult() : juce::File();
}

juce::ModifierKeys JuceUserDialogs::currentModifiers()
{
    return juce::ModifierKeys::getCurrentModifiersRealtime();
}
