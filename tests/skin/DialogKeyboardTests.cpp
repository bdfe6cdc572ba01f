#include "DialogKeyboard.h"
#include "MessageLoop.h"
#include "OffscreenPeer.h"

#include <gtest/gtest.h>

using morvane::test::runMessageLoopUntil;

namespace
{
/** A dialog with a tick, a number field, a read-only text, OK (the default button) and Cancel, in
    an offscreen window that the keyboard serves.
*/
struct KeyDialog
{
    KeyDialog()
    {
        content.setSize (300, 200);
        tick.setBounds (10, 10, 100, 20);
        number.setBounds (10, 40, 100, 20);
        notes.setBounds (10, 70, 200, 40);
        notes.setReadOnly (true);
        notes.setMultiLine (true);
        ok.setBounds (10, 160, 60, 24);
        cancel.setBounds (80, 160, 60, 24);
        ok.onClick = [this] { ++okClicks; };

        for (auto* c : std::initializer_list<juce::Component*> { &tick, &number, &notes, &ok, &cancel })
            content.addAndMakeVisible (c);

        DialogKeyboard::setDefaultButton (ok);
        window.setContentNonOwned (&content, true);
        window.addToDesktop();
        window.setVisible (true);
        DialogKeyboard::serve (window);
    }

    ~KeyDialog() { window.clearContentComponent(); }

    bool press (int key) { return window.getPeer()->handleKeyPress (juce::KeyPress (key)); }

    /** Gives the control the focus and waits for the ring to follow, as it does before a user
        can press a key.
    */
    void focus (juce::Component& control)
    {
        control.grabKeyboardFocus();
        runMessageLoopUntil ([&] { return ring() != nullptr && ring()->isVisible()
                                          && ring()->getBounds().contains (window.getLocalArea (&control, control.getLocalBounds())); },
                             2000);
    }

    /** The window takes the focus, as when it appears: once the focus has settled, what holds it. */
    juce::Component* focusOnAppearing()
    {
        window.grabKeyboardFocus();
        runMessageLoopUntil ([this] { return juce::Component::getCurrentlyFocusedComponent() != &window; }, 2000);
        return juce::Component::getCurrentlyFocusedComponent();
    }

    juce::Component* ring() const
    {
        for (auto* child : window.getChildren())
            if (child->getName() == "Focus Ring")
                return child;

        return nullptr;
    }

    juce::Component content;
    juce::ToggleButton tick { "tick" };
    juce::TextEditor number { "number" }, notes { "notes" };
    juce::TextButton ok { "OK" }, cancel { "Cancel" };
    int okClicks = 0;
    morvane::test::Offscreen<juce::DialogWindow> window { "Keys", juce::Colours::lightgrey, true, false };
};
} // namespace

TEST (DialogKeyboard, AWindowThatTakesTheFocusHandsItToItsDefaultButtonInARing)
{
    KeyDialog dialog;
    EXPECT_EQ (dialog.focusOnAppearing(), &dialog.ok);
    ASSERT_NE (dialog.ring(), nullptr);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return dialog.ring()->isVisible(); }));
    EXPECT_TRUE (dialog.ring()->getBounds().contains (dialog.window.getLocalArea (&dialog.ok, dialog.ok.getLocalBounds())));

    // Without a usable default button the first control takes it.
    dialog.ok.setEnabled (false);
    dialog.window.grabKeyboardFocus();
    EXPECT_EQ (dialog.focusOnAppearing(), &dialog.tick);
}

TEST (DialogKeyboard, ReturnPressesTheDefaultButtonSpaceTheFocusedOneAndTypingFieldsKeepTheirKeys)
{
    KeyDialog dialog;
    dialog.focusOnAppearing();

    dialog.focus (dialog.tick);
    EXPECT_TRUE (dialog.press (juce::KeyPress::spaceKey));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return dialog.tick.getToggleState(); })) << "Space presses the focused toggle";
    EXPECT_TRUE (dialog.press (juce::KeyPress::returnKey));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return dialog.okClicks == 1; })) << "Return presses OK";
    EXPECT_TRUE (dialog.tick.getToggleState()) << "Return left the toggle alone";

    dialog.focus (dialog.number);
    dialog.press (juce::KeyPress::returnKey);
    dialog.press (juce::KeyPress::spaceKey);
    morvane::test::runMessageLoopFor (50);
    EXPECT_EQ (dialog.okClicks, 1) << "a number field keeps Return";

    dialog.focus (dialog.notes);
    EXPECT_TRUE (dialog.press (juce::KeyPress::returnKey));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return dialog.okClicks == 2; })) << "a text to read does not";
}
