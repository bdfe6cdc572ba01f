#include "FocusRing.h"

FocusRing::FocusRing()
{
    setInterceptsMouseClicks (false, false);
    setWantsKeyboardFocus (false);
    setName ("Focus Ring");
    setAlwaysOnTop (true);
}

void FocusRing::mark (juce::Component* control)
{
    marked = control;
    auto* parent = getParentComponent();

    if (control == nullptr || parent == nullptr || ! parent->isParentOf (control))
    {
        marked = nullptr;
        setVisible (false);
        return;
    }

    setBounds (parent->getLocalArea (control, control->getLocalBounds()).expanded (3));
    setVisible (true);
    toFront (false);
    repaint();
}

juce::Component* FocusRing::getMarked() const noexcept
{
    return isVisible() ? marked.getComponent() : nullptr;
}

void FocusRing::paint (juce::Graphics& g)
{
    g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId).withAlpha (1.0f));
    g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (1.0f), 3.0f, 2.0f);
}
