#include "ConsoleKeyboard.h"

#include "FocusRing.h"

ConsoleKeyboard::ConsoleKeyboard (juce::Component& consoleToServe, const juce::Array<juce::Component*>& controls)
    : console (consoleToServe),
      ring (std::make_unique<FocusRing>())
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
        keyboardInUse = true;

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
            keyboardInUse = true;
            ring->mark (button);
            button->triggerClick();
            return true;
        }
    }

    return false;
}

void ConsoleKeyboard::globalFocusChanged (juce::Component* focused)
{
    const bool inside = focused != nullptr && console.isParentOf (focused);
    ring->mark (keyboardInUse && inside ? focused : nullptr);
}
