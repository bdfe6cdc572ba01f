#include "SkinnedDialogWindow.h"

#include "DialogKeyboard.h"
#include "DialogLook.h"
#include "OwnedWindows.h"

SkinnedDialogWindow::SkinnedDialogWindow (const juce::String& title, juce::Component& content, juce::Component* centreAround)
    : juce::DialogWindow (title, DialogLook::of (content).background, true, true)
{
    const auto look = DialogLook::of (*this);
    setBackgroundColour (look.background);
    setUsingNativeTitleBar (false);
    setTitleBarButtonsRequired (juce::DocumentWindow::closeButton, false);
    setTitleBarHeight (look.titleBarHeight);
    setTitleBarTextCentred (true);
    setContentNonOwned (&content, true);
    setResizable (false, false);
    centreAroundComponent (centreAround, getWidth(), getHeight());
    DialogKeyboard::serve (*this);
}

SkinnedDialogWindow::~SkinnedDialogWindow()
{
    // The content belongs to its creator and outlives the window.
    clearContentComponent();
}

int SkinnedDialogWindow::runModal (const juce::String& title, juce::Component& content, juce::Component* centreAround)
{
    SkinnedDialogWindow window (title, content, centreAround);
    window.setVisible (true);
    return window.runModalLoop();
}

SkinnedDialogWindow* SkinnedDialogWindow::launchAsync (const juce::String& title, juce::Component& content,
                                                       juce::Component* centreAround)
{
    auto* window = new SkinnedDialogWindow (title, content, centreAround);
    window->enterModalState (true, nullptr, true);
    return window;
}

void SkinnedDialogWindow::closeButtonPressed()
{
    exitModalState (0);
    setVisible (false);
}

void SkinnedDialogWindow::parentHierarchyChanged()
{
    juce::DialogWindow::parentHierarchyChanged();

    // A new native window: marked before it is mapped.
    OwnedWindows::markAsDialog (*this);
}

void SkinnedDialogWindow::visibilityChanged()
{
    if (isVisible())
        OwnedWindows::markAsDialog (*this);

    juce::DialogWindow::visibilityChanged();
}
