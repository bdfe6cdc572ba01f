#include "ConsoleRig.h"
#include "WindowsOnScreen.h"

using morvane::test::runMessageLoopUntil;

namespace
{
/** The console in its real window on the test display, driven by key presses through the
    window's peer as the keyboard would.
*/
class ConsoleKeyboardTest : public ConsoleRig
{
protected:
    bool press (const juce::KeyPress& key) { return window->getPeer()->handleKeyPress (key); }
    bool press (int keyCode, juce::ModifierKeys modifiers = {}) { return press (juce::KeyPress (keyCode, modifiers, 0)); }

    juce::String focusedName() const
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        return focused == nullptr ? juce::String ("<nothing>") : focused->getName();
    }

    /** The window manager gives the window the focus in its own time: asks every second until
        a control of the console holds it.
    */
    void waitForTheWindowToTakeTheKeyboard()
    {
        ASSERT_NE (window->getPeer(), nullptr);
        ASSERT_TRUE (morvane::test::waitAskingEverySecond ([&]
        {
            auto* focused = juce::Component::getCurrentlyFocusedComponent();
            return window->getPeer()->isFocused() && focused != nullptr && console().isParentOf (focused);
        }, [&] { window->toFront (true); }));
    }

    /** The window has the keyboard and the console itself holds the focus, as when the focused
        control went away: Tab starts from the first control.
    */
    void startAtTheConsole()
    {
        waitForTheWindowToTakeTheKeyboard();
        console().grabKeyboardFocus();
        ASSERT_TRUE (console().hasKeyboardFocus (false));
    }
};

TEST_F (ConsoleKeyboardTest, TabReachesTheUsableControlsInReadingOrderWithARingAroundTheFocusedOne)
{
    open();

    // The window takes the keyboard with the device picker focused and ringed, without a click.
    waitForTheWindowToTakeTheKeyboard();
    EXPECT_EQ (focusedName(), "Device To Update");
    auto* picker = child ("Device To Update");
    ASSERT_NE (picker, nullptr);
    EXPECT_TRUE (runMessageLoopUntil ([&] { auto* ring = child ("Focus Ring");
                                            return ring != nullptr && ring->isVisible() && ring->getBounds().contains (picker->getBounds()); }))
        << "no ring at start";

    startAtTheConsole();

    // Without a device only the page tab, the device selector and the help links are usable.
    const juce::StringArray forwards { "Receive Tab Button", "Device To Update", "Document", "Video", "Support", "Forum",
                                       "Receive Tab Button" };

    for (const auto& expected : forwards)
    {
        EXPECT_TRUE (press (juce::KeyPress::tabKey));
        EXPECT_EQ (focusedName(), expected);

        auto* ring = child ("Focus Ring");
        ASSERT_NE (ring, nullptr);
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        ASSERT_NE (focused, nullptr);

        // The ring follows the focus with the window's next focus message.
        EXPECT_TRUE (runMessageLoopUntil ([&] { return ring->isVisible() && ring->getBounds().contains (focused->getBounds()); }))
            << expected;
        EXPECT_FALSE (ring->getBounds().reduced (3).contains (focused->getBounds().expanded (1))) << "the ring hugs the control";
    }

    EXPECT_TRUE (press (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (focusedName(), "Forum") << "Shift+Tab goes back, round the end";
    EXPECT_TRUE (press (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (focusedName(), "Support");
}

TEST_F (ConsoleKeyboardTest, KeysTheWindowDoesNotUsePassOnAndReturnOrSpacePressTheFocusedButton)
{
    plugDevice (16, "Orvix III MIDI 1");
    open();
    startAtTheConsole();

    EXPECT_FALSE (press ('a')) << "a key the console does not use is no longer swallowed";
    EXPECT_FALSE (press (juce::KeyPress::escapeKey));
    EXPECT_FALSE (press (juce::KeyPress::spaceKey)) << "no button has the focus";

    EXPECT_TRUE (press (juce::KeyPress::tabKey));
    EXPECT_TRUE (press (juce::KeyPress::tabKey));
    ASSERT_EQ (focusedName(), "Device To Update");

    dialogs.menuChoices = { 16 };
    EXPECT_TRUE (press (juce::KeyPress::returnKey));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().isDeviceChosen(); })) << "Return opens the device menu";
    EXPECT_EQ (console().getDeviceModel(), 16);

    while (focusedName() != "Document")
        ASSERT_TRUE (press (juce::KeyPress::tabKey));

    EXPECT_TRUE (press (juce::KeyPress::spaceKey));
    ASSERT_TRUE (runMessageLoopUntil ([this] { return services.urls.size() == 1; })) << "Space presses the focused link";
}

TEST_F (ConsoleKeyboardTest, WithADeviceAndItsPortsTabReachesEveryUsableControlInReadingOrder)
{
    plugDevice (8, "KT4 MIDI");
    open();
    startAtTheConsole();
    chooseFromMenu (8);
    ASSERT_TRUE (runMessageLoopUntil ([this] { return console().getDeviceInfo().isConnected(); }));

    const auto folder = juce::File::createTempFile ("backups");
    ASSERT_TRUE (folder.createDirectory());
    console().showReceivePage();
    console().setReceiveFolder (folder.getFullPathName());
    ASSERT_TRUE (runMessageLoopUntil ([this] { return enabled ("Transmit"); }));

    // The Receive page with its folder chosen: every control is usable but Cancel.
    const juce::StringArray order { "Send Tab Button", "Device To Update", "Select an Input Port", "Select an Output Port",
                                    "Browse", "File", "showFolder", "Transmit", "Document", "Video", "Support", "Forum" };
    juce::StringArray reached;
    console().grabKeyboardFocus();

    for (int i = 0; i < order.size() + 1; ++i)
    {
        EXPECT_TRUE (press (juce::KeyPress::tabKey));
        reached.add (focusedName());
    }

    EXPECT_EQ (reached.joinIntoString (" | "), (order.joinIntoString (" | ") + " | " + order[0]));

    juce::StringArray back;

    for (int i = 0; i < order.size(); ++i)
    {
        EXPECT_TRUE (press (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier));
        back.insert (0, focusedName());
    }

    EXPECT_EQ (back.joinIntoString (" | "), order.joinIntoString (" | ")) << "Shift+Tab goes the same way back";
    folder.deleteRecursively();
}
} // namespace
