#include "JuceUserDialogs.h"

#include "OwnedWindows.h"
#include "WindowPlaceKeeper.h"

juce::Component* JuceUserDialogs::boxOwner() const
{
    // A minimised or hidden window would place the box where nobody sees it.
    if (auto* window = owner.getComponent())
        if (window->isShowing())
            return window;

    return nullptr;
}

void JuceUserDialogs::showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    auto* const centredOn = boxOwner();
    const auto keeper = WindowPlaceKeeper::forBoxesOver (centredOn);
    juce::AlertWindow::showMessageBox (icon, title, text, "OK", centredOn);
}

bool JuceUserDialogs::askOkCancel (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    auto* const centredOn = boxOwner();
    const auto keeper = WindowPlaceKeeper::forBoxesOver (centredOn);
    return juce::AlertWindow::showOkCancelBox (icon, title, text, "OK", "Cancel", centredOn);
}

juce::PopupMenu::Options JuceUserDialogs::menuOptionsFor (juce::Component* target)
{
    auto options = juce::PopupMenu::Options().withMaximumNumColumns (1);

    if (target != nullptr)
        options = options.withTargetComponent (target).withMinimumWidth (target->getWidth());

    return options;
}

int JuceUserDialogs::showMenu (const juce::PopupMenu& menu, juce::Component* target)
{
    auto shown = menu;
    return shown.showMenu (menuOptionsFor (target));
}

juce::File JuceUserDialogs::chooseFileToOpen (const juce::String& title, const juce::File& start, const juce::String& patterns)
{
    const OwnedWindows::ChooserMarks marks;
    juce::FileChooser chooser (title, start, patterns);
    return chooser.browseForFileToOpen() ? chooser.getResult() : juce::File();
}

juce::File JuceUserDialogs::chooseFolder (const juce::String& title, const juce::File& start)
{
    const OwnedWindows::ChooserMarks marks;
    juce::FileChooser chooser (title, start);
    return chooser.browseForDirectory() ? chooser.getResult() : juce::File();
}

juce::File JuceUserDialogs::chooseFileToSave (const juce::String& title, const juce::File& start, const juce::String& patterns)
{
    const OwnedWindows::ChooserMarks marks;
    juce::FileChooser chooser (title, start, patterns);
    return chooser.browseForFileToSave (true) ? chooser.getResult() : juce::File();
}

juce::ModifierKeys JuceUserDialogs::currentModifiers()
{
    return juce::ModifierKeys::getCurrentModifiersRealtime();
}
