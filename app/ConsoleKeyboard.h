#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class FocusRing;

/** The console's keyboard: Tab and Shift+Tab move through the page's usable controls in reading
    order (the page's controls from top to bottom, then the help links), a ring in the skin's
    highlight colour marks the focused control, and Return or Space presses the focused button.
    Every other key passes on to the window.

    The window takes the keyboard as it appears and as it comes back from a dialog or a box: the
    control that held the focus before gets it back, else the starting control (the one a user
    begins with), else the first usable one, with the ring around it and no click needed.

    Message thread only.
*/
class ConsoleKeyboard : private juce::KeyListener,
                        private juce::FocusChangeListener
{
public:
    /** The console's children in controls take part in that order; every other child of the
        console is left out of the order. Null entries are skipped. The starting control, when
        usable, is the one that takes the keyboard when the window first does.
    */
    ConsoleKeyboard (juce::Component& console, const juce::Array<juce::Component*>& controls,
                     juce::Component* startingControl = nullptr);
    ~ConsoleKeyboard() override;

    /** The control that the ring marks; null while none is marked. */
    juce::Component* getMarkedControl() const noexcept;

private:
    bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;
    void globalFocusChanged (juce::Component* focused) override;
    void takeKeyboard();

    juce::Component& console;
    std::unique_ptr<FocusRing> ring;
    juce::Component::SafePointer<juce::Component> startingControl;
    juce::Component::SafePointer<juce::Component> lastFocused;
    bool keyboardAway = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleKeyboard)
};
