#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class FocusRing;

/** The keyboard of the program's dialogs and message boxes. A window that it serves takes the
    keyboard as it appears: as soon as the window has the focus, its default button (or, while
    that is disabled or there is none, its first control) holds it, with a ring around it that
    follows the focus. Tab and Shift+Tab move through the controls; the arrow keys move through
    the choices of a radio group, choosing as a click does; Return presses the default
    button (in a field that takes typing it stays the field's: a number field confirms its
    value); Space presses the focused button; Escape is left to the window, which cancels, from
    a field as well.

    Message thread only.
*/
class DialogKeyboard : private juce::KeyListener,
                       private juce::FocusChangeListener,
                       private juce::ComponentListener
{
public:
    /** Serves the top-level window from now until it is deleted. Serving a window twice changes
        nothing.
    */
    static void serve (juce::Component& window);

    /** Makes the button the one that Return presses in whichever served window holds it. */
    static void setDefaultButton (juce::Component& button);

    /** True when the component was made a default button. */
    static bool isDefaultButton (const juce::Component& component);

    /** The enabled default button showing in the window; null when there is none. */
    static juce::Component* findDefaultButton (juce::Component& window);

    ~DialogKeyboard() override;

private:
    explicit DialogKeyboard (juce::Component& window);

    bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;
    void globalFocusChanged (juce::Component* focused) override;
    void componentBeingDeleted (juce::Component& component) override;

    void focusFirstControl (bool last);
    void listenTo (juce::Component* focused);

    juce::Component& window;
    std::unique_ptr<FocusRing> ring;
    juce::Component::SafePointer<juce::Component> listenedTo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DialogKeyboard)
};
