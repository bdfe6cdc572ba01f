#include "DialogKeyboard.h"

#include "FocusRing.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
const juce::Identifier servedProperty ("morvaneDialogKeyboard");
const juce::Identifier defaultButtonProperty ("morvaneDefaultButton");

/** Presses a control as its own Return key does (a button clicks, a painted button too). */
bool press (juce::Component& control)
{
    return control.isEnabled() && control.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
}

/** The enabled buttons on show of the radio group that the button belongs to, in reading order. */
std::vector<juce::Button*> radioGroupOf (juce::Button& button)
{
    std::vector<juce::Button*> group;

    if (auto* parent = button.getParentComponent())
        for (auto* child : parent->getChildren())
            if (auto* member = dynamic_cast<juce::Button*> (child))
                if (member->getRadioGroupId() == button.getRadioGroupId() && member->isShowing() && member->isEnabled())
                    group.push_back (member);

    std::stable_sort (group.begin(), group.end(), [] (const juce::Button* a, const juce::Button* b)
    {
        return std::make_pair (a->getY(), a->getX()) < std::make_pair (b->getY(), b->getX());
    });

    return group;
}

/** An arrow key in a radio group chooses the group's next (Down, Right) or previous (Up, Left)
    choice, as a click would, and takes the keyboard there; false for any other key or button.
*/
bool moveInRadioGroup (juce::Component& focused, const juce::KeyPress& key)
{
    auto* button = dynamic_cast<juce::Button*> (&focused);

    if (button == nullptr || button->getRadioGroupId() == 0 || key.getModifiers() != juce::ModifierKeys())
        return false;

    int step = 0;

    if (key.isKeyCode (juce::KeyPress::downKey) || key.isKeyCode (juce::KeyPress::rightKey))
        step = 1;
    else if (key.isKeyCode (juce::KeyPress::upKey) || key.isKeyCode (juce::KeyPress::leftKey))
        step = -1;
    else
        return false;

    const auto group = radioGroupOf (*button);
    const auto at = std::find (group.begin(), group.end(), button);

    if (group.size() < 2 || at == group.end())
        return true;

    const auto index = ((int) (at - group.begin()) + step + (int) group.size()) % (int) group.size();
    auto* next = group[(size_t) index];
    next->grabKeyboardFocus();

    if (! next->getToggleState())
        next->triggerClick();

    return true;
}

juce::Component* findDefaultIn (juce::Component& parent)
{
    for (auto* child : parent.getChildren())
    {
        if (DialogKeyboard::isDefaultButton (*child))
        {
            if (child->isShowing() && child->isEnabled())
                return child;
        }
        else if (auto* found = findDefaultIn (*child))
        {
            return found;
        }
    }

    return nullptr;
}
} // namespace

void DialogKeyboard::serve (juce::Component& window)
{
    if (window.getProperties().contains (servedProperty))
        return;

    window.getProperties().set (servedProperty, true);
    new DialogKeyboard (window);   // deletes itself with the window
}

void DialogKeyboard::setDefaultButton (juce::Component& button)
{
    button.getProperties().set (defaultButtonProperty, true);
}

bool DialogKeyboard::isDefaultButton (const juce::Component& component)
{
    return component.getProperties().contains (defaultButtonProperty);
}

juce::Component* DialogKeyboard::findDefaultButton (juce::Component& window)
{
    return findDefaultIn (window);
}

DialogKeyboard::DialogKeyboard (juce::Component& windowToServe)
    : window (windowToServe),
      ring (std::make_unique<FocusRing>())
{
    window.addChildComponent (*ring);
    window.addKeyListener (this);
    window.addComponentListener (this);
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

DialogKeyboard::~DialogKeyboard()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
    listenTo (nullptr);
    window.removeComponentListener (this);
    window.removeKeyListener (this);
    window.removeChildComponent (ring.get());
}

void DialogKeyboard::componentBeingDeleted (juce::Component&)
{
    delete this;
}

void DialogKeyboard::focusFirstControl (bool last)
{
    auto* target = last ? nullptr : findDefaultButton (window);

    if (target == nullptr)
    {
        if (auto traverser = window.createKeyboardFocusTraverser())
        {
            const auto controls = traverser->getAllComponents (&window);

            if (! controls.empty())
                target = last ? controls.back() : controls.front();
        }
    }

    if (target != nullptr)
        target->grabKeyboardFocus();
}

void DialogKeyboard::listenTo (juce::Component* focused)
{
    if (listenedTo.getComponent() == focused)
        return;

    if (auto* previous = listenedTo.getComponent())
        previous->removeKeyListener (this);

    listenedTo = focused;

    if (focused != nullptr)
        focused->addKeyListener (this);
}

void DialogKeyboard::globalFocusChanged (juce::Component* focused)
{
    // The window itself took the focus (it appeared, or came back to the front): its controls
    // take it over, which brings another call.
    if (focused == &window)
    {
        listenTo (nullptr);
        ring->mark (nullptr);
        focusFirstControl (false);
        return;
    }

    const bool inside = focused != nullptr && window.isParentOf (focused);
    listenTo (inside ? focused : nullptr);
    ring->mark (inside ? focused : nullptr);
}

bool DialogKeyboard::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();

    if (focused == nullptr || (focused != &window && ! window.isParentOf (focused)))
        return false;

    const auto modifiers = key.getModifiers();

    if (key.isKeyCode (juce::KeyPress::tabKey) && focused == &window
        && (modifiers == juce::ModifierKeys() || modifiers == juce::ModifierKeys::shiftModifier))
    {
        focusFirstControl (modifiers.isShiftDown());
        return true;
    }

    // A field that takes typing keeps its keys: Return confirms a number, Space is typed. Escape
    // goes to the window as from any other control, so one press cancels; a window that does not
    // take it leaves it to the field.
    auto* field = dynamic_cast<juce::TextEditor*> (focused);

    if (field != nullptr && ! field->isReadOnly())
        return key == juce::KeyPress (juce::KeyPress::escapeKey) && window.keyPressed (key);

    if (moveInRadioGroup (*focused, key))
        return true;

    if (key == juce::KeyPress (juce::KeyPress::returnKey))
    {
        if (auto* defaultButton = findDefaultButton (window))
            return press (*defaultButton);

        return false;
    }

    if (key == juce::KeyPress (juce::KeyPress::spaceKey) && focused != &window && field == nullptr)
        return press (*focused);

    return false;
}
