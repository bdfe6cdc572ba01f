#include "ConsoleKeyboard.h"

#include "FocusRing.h"

#include <algorithm>

ConsoleKeyboard::ConsoleKeyboard (juce::Component& consoleToServe, const juce::Array<juce::Component*>& controls,
                                  juce::Component* startingControlToUse)
    : console (consoleToServe),
      ring (std::make_unique<FocusRing>()),
      startingControl (startingControlToUse)
{
    for (auto* child : console.getChildren())
        child->setWantsKeyboardFocus (false);

    int order = 1;

    for (auto* control : controls)
    {
        if (control != nullptr)
        {
            control->setWantsKeyboardFocus (true);
            control->setExplicitFocusOrder (order++);
        }
    }

    // The console holds the focus while no control does, so that Tab always reaches it.
    console.setWantsKeyboardFocus (true);
    console.setFocusContainerType (juce::Component::FocusContainerType::keyboardFocusContainer);
    console.addChildComponent (*ring);
    console.addKeyListener (this);
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

ConsoleKeyboard::~ConsoleKeyboard()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
    console.removeKeyListener (this);
    console.removeChildComponent (ring.get());
}

juce::Component* ConsoleKeyboard::getMarkedControl() const noexcept
{
    return ring->getMarked();
}

bool ConsoleKeyboard::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    const bool inside = focused != nullptr && console.isParentOf (focused);
    const auto modifiers = key.getModifiers();

    if (key.isKeyCode (juce::KeyPress::tabKey) && (modifiers == juce::ModifierKeys() || modifiers == juce::ModifierKeys::shiftModifier))
    {
        // From a control the window moves the focus on; from the console itself it goes to the
        // first control (Shift: the last).
        if (inside)
            return false;

        if (auto traverser = console.createKeyboardFocusTraverser())
        {
            const auto controls = traverser->getAllComponents (&console);

            if (! controls.empty())
                (modifiers.isShiftDown() ? controls.back() : controls.front())->grabKeyboardFocus();
        }

        return true;
    }

    const bool press = key == juce::KeyPress (juce::KeyPress::spaceKey) || key == juce::KeyPress (juce::KeyPress::returnKey);

    if (press && inside)
    {
        if (auto* button = dynamic_cast<juce::Button*> (focused); button != nullptr && button->isEnabled())
        {
            ring->mark (button);
            button->triggerClick();
            return true;
        }
    }

    return false;
}

void ConsoleKeyboard::globalFocusChanged (juce::Component* focused)
{
    const bool inside = focused != nullptr && (focused == &console || console.isParentOf (focused));

    if (! inside)
    {
        // A dialog, a box or another program holds the keyboard now.
        keyboardAway = true;
        ring->mark (nullptr);
        return;
    }

    if (focused != &console)
    {
        keyboardAway = false;
        lastFocused = focused;
        ring->mark (focused);
        return;
    }

    ring->mark (nullptr);

    // The console itself holds the focus. When the window took the keyboard (at start, or back
    // from a dialog), or handed it to the console while the control that had it is still there,
    // a control takes it over, which brings another call. When that control went away (hidden
    // or disabled), the console keeps it and Tab starts from the first control.
    auto* previous = lastFocused.getComponent();
    const bool previousStillThere = previous != nullptr && previous->isShowing() && previous->isEnabled();

    if (keyboardAway || previous == nullptr || previousStillThere)
        takeKeyboard();
}

void ConsoleKeyboard::takeKeyboard()
{
    auto traverser = console.createKeyboardFocusTraverser();

    if (traverser == nullptr)
        return;

    const auto controls = traverser->getAllComponents (&console);

    if (controls.empty())
        return;

    const auto usable = [&controls] (juce::Component* control)
    {
        return control != nullptr && std::find (controls.begin(), controls.end(), control) != controls.end();
    };

    auto* target = usable (lastFocused.getComponent()) ? lastFocused.getComponent()
                 : usable (startingControl.getComponent()) ? startingControl.getComponent()
                 : controls.front();

    target->grabKeyboardFocus();
}
