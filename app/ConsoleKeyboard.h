#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class FocusRing;

/** The console's keyboard: Tab and Shift+Tab move through the page's usable controls in reading
    order (the page's controls from top to bottom, then the help links), a ring in the skin's
    highlight colour marks the focused control once the keyboard is in use, and Return or Space
    presses the focused button. Every other key passes on to the window.

    Message thread only.
*/
class ConsoleKeyboard : private juce::KeyListener,
                        private juce::FocusChangeListener
{
public:
    /** The console's children in controls take part in that order; every other child of the
        console is left out of the order. Null entries are skipped.
    */
    ConsoleKeyboard (juce::Component& console, const juce::Array<juce::Component*>& controls);
    ~ConsoleKeyboard() override;

    /** The control that the ring marks; null while none is marked. */
    juce::Component* getMarkedControl() const noexcept;

private:
    bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;
    void globalFocusChanged (juce::Component* focused) override;

    juce::Component& console;
    std::unique_ptr<FocusRing> ring;
    bool keyboardInUse = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleKeyboard)
};
