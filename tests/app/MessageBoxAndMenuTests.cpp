#include "AppTestDoubles.h"
#include "FocusRing.h"
#include "JuceSystemServices.h"
#include "JuceUserDialogs.h"
#include "KT4BackupDialog.h"
#include "MainAppWindow.h"
#include "MessageLoop.h"
#include "MorvaneDialog.h"
#include "Transfers.h"
#include "MorvaneLookAndFeel.h"
#include "OwnedWindows.h"
#include "SamePixels.h"
#include "PayloadKind.h"
#include "SendOptionsDialog.h"
#include "SkinManager.h"
#include "SkinnedDialogWindow.h"
#include "TPXAutoUpdate.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"
#include "TransferReport.h"
#include "WindowsOnScreen.h"

#include <gtest/gtest.h>

#include <functional>

/*  Message boxes and menus as the program shows them on Linux: drawn by MorvaneLookAndFeel from
    the generated skin, over the real main window, through the real JuceUserDialogs. A screenshot of
    each (the window with the box or menu over it) is kept in the build folder's test-artefacts/.
*/
namespace
{
const juce::File generatedSkin (MORVANE_GENERATED_SKIN_DIR);
const juce::File artefacts (MORVANE_TEST_ARTEFACTS_DIR);

using morvane::test::describeWindows;
using morvane::test::serverPosition;
using morvane::test::whereTheServerHas;

/** Calls the check on the message thread, from inside a modal loop, once the condition holds.
    Every wait has its bound: a window that never comes, and a modal window that the check left
    open, fail with what is on the screen and end the modal loop, so the test goes on.
*/
class WhenShown : private juce::Timer
{
public:
    WhenShown (std::function<juce::Component*()> findIt, std::function<void (juce::Component&)> checkIt)
        : find (std::move (findIt)), check (std::move (checkIt))
    {
        startTimer (20);
    }

    bool ran = false;
    std::function<std::string()> describe;   // what is on the screen, when it never settles

private:
    void timerCallback() override
    {
        ++ticks;

        if (checking)
            return;

        if (ran)
        {
            // The check closed its window, or meant to: one still modal long after is a failure.
            if (checked == nullptr || ! checked->isCurrentlyModal (false))
            {
                stopTimer();
            }
            else if (ticks > 500)   // 10 s
            {
                stopTimer();
                ADD_FAILURE() << "'" << checked->getName() << "' was still open 10 s after its check: " << describeWindows();
                checked->exitModalState (0);
            }

            return;
        }

        auto* c = find();

        if (c != nullptr && c->isShowing() && c->getPeer() != nullptr)
        {
            // A check may run the message loop itself; the watch over its window begins once it is done.
            ran = checking = true;
            checked = c;
            check (*c);
            checking = false;
            ticks = 0;
        }
        else if (ticks > 1000)   // 20 s: the window never came, or never settled
        {
            stopTimer();
            ADD_FAILURE() << "the awaited window never showed within 20 s: "
                          << (describe != nullptr ? describe() + "; " : std::string()) << describeWindows();

            if (auto* modal = juce::Component::getCurrentlyModalComponent())
                modal->exitModalState (0);
        }
    }

    std::function<juce::Component*()> find;
    std::function<void (juce::Component&)> check;
    juce::Component::SafePointer<juce::Component> checked;
    bool checking = false;
    int ticks = 0;
};

class RealWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (! generatedSkin.getChildFile ("MV.qorby").existsAsFile())
            GTEST_SKIP() << "no generated skin";

        skinManager = std::make_unique<SkinManager> (generatedSkin);
        ASSERT_TRUE (skinManager->load (false));
        lookAndFeel = MorvaneLookAndFeel::installFromSkin (skinManager.get());

        window = std::make_unique<MainAppWindow> (skinManager.get(), nullptr, consoleDialogs, services, userFolder);
        window->setTopLeftPosition (place);
        dialogs.setOwner (window.get());
        OwnedWindows::setMainWindow (window.get());
        ASSERT_TRUE (morvane::test::runMessageLoopUntil ([this] { return window->isShowing() && window->getPeer() != nullptr; }))
            << "the main window never showed: " << describeWindows();
        ASSERT_TRUE (waitForFocus()) << "the main window never took the keyboard focus: " << describeWindows();
        ASSERT_TRUE (waitForPlace()) << "the main window never settled at " << place.toString() << ": " << describeWindows();
        artefacts.createDirectory();
    }

    void TearDown() override
    {
        OwnedWindows::setMainWindow (nullptr);
        window.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        lookAndFeel.reset();
        skinManager.reset();
        userFolder.deleteRecursively();
    }

    static bool waitAskingEverySecond (const std::function<bool()>& holds, const std::function<void()>& ask)
    {
        return morvane::test::waitAskingEverySecond (holds, ask);
    }

    /** Menus close as soon as the program loses the keyboard focus, and the window manager gives
        it in its own time (and tests side by side take it): waits until the window holds it.
    */
    bool waitForFocus()
    {
        return waitAskingEverySecond ([this] { return juce::Process::isForegroundProcess() && window->getPeer() != nullptr
                                                      && window->getPeer()->isFocused(); },
                                      [this] { window->toFront (true); });
    }

    /** Closes the window with its title bar's close box, as the user does. The framework disables
        the title bar's buttons while their window is not the active one (a click then does
        nothing), and a busy window manager activates a new window in its own time: the window is
        asked to the front until it is active, and clicked again if the click found it inactive.
    */
    static bool clickCloseBox (juce::DocumentWindow& shown)
    {
        juce::Component::SafePointer<juce::DocumentWindow> w (&shown);
        const auto closed = [&] { return w == nullptr || ! w->isShowing(); };

        for (int attempt = 0; attempt < 3 && ! closed(); ++attempt)
        {
            auto* closeBox = shown.getCloseButton();

            if (closeBox == nullptr)
            {
                ADD_FAILURE() << "'" << shown.getName() << "' has no close box";
                return false;
            }

            morvane::test::waitAskingEverySecond ([&] { return closed() || (shown.isActiveWindow() && closeBox->isEnabled()); },
                                                  [&] { if (! closed()) shown.toFront (true); }, 10000);

            if (! closed())
                closeBox->triggerClick();

            morvane::test::runMessageLoopUntil (closed, 3000);
        }

        if (! closed())
            ADD_FAILURE() << "the close box did not close '" << shown.getName() << "': " << describeWindows();

        return closed();
    }

    /** The window with the given component drawn over it where it lies on the screen. */
    void saveScreenshot (juce::Component& over, const juce::String& name)
    {
        const auto windowArea = window->getScreenBounds();
        const auto area = windowArea.getUnion (over.getScreenBounds()).expanded (10);
        juce::Image shot (juce::Image::RGB, area.getWidth(), area.getHeight(), true);
        juce::Graphics g (shot);
        g.fillAll (juce::Colours::black);
        g.drawImageAt (window->createComponentSnapshot (window->getLocalBounds()), windowArea.getX() - area.getX(), windowArea.getY() - area.getY());
        g.drawImageAt (over.createComponentSnapshot (over.getLocalBounds()), over.getScreenX() - area.getX(), over.getScreenY() - area.getY());

        juce::FileOutputStream out (artefacts.getChildFile (name));
        out.setPosition (0);
        out.truncate();
        EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (shot, out)) << name;
    }

    /** The window manager puts the window in its place in its own time, and the framework hears of
        it later still: a box shown before then is centred on where the window was. Waits until
        the server and the framework both have the window in its place.
    */
    bool waitForPlace() { return morvane::test::waitUntilPlaced (*window, place); }

    /** The modal box, once it has taken its layout's size and its place over the window. */
    juce::AlertWindow* settledBox() const
    {
        auto* box = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
        const auto settled = box != nullptr
                          && box->getLocalBounds() == lookAndFeel->getAlertBoxLayout (*box).box
                          && std::abs (box->getScreenBounds().getCentreX() - window->getScreenBounds().getCentreX()) <= 1;
        return settled ? box : nullptr;
    }

    juce::Component* consoleChild (const juce::String& name) const
    {
        for (auto* c : window->getConsole()->getChildren())
            if (c->getName() == name)
                return c;

        return nullptr;
    }

    /** Waits, asking the window manager every second to activate the window, until one of the
        window's controls holds the keyboard: nothing is clicked and no control is given the focus.
    */
    static bool waitForKeyboardIn (juce::Component& shown)
    {
        return waitAskingEverySecond ([&]
                                      {
                                          auto* focused = juce::Component::getCurrentlyFocusedComponent();
                                          return shown.getPeer() != nullptr && shown.getPeer()->isFocused() && focused != nullptr
                                              && shown.isParentOf (focused);
                                      },
                                      [&] { shown.toFront (true); });
    }

    static bool press (juce::Component& shown, int key, juce::ModifierKeys modifiers = {})
    {
        return shown.getPeer() != nullptr && shown.getPeer()->handleKeyPress (juce::KeyPress (key, modifiers, 0));
    }

    /** True once the window's focus ring shows around the control that holds the keyboard. */
    static bool ringedFocus (juce::Component& shown)
    {
        return morvane::test::runMessageLoopUntil ([&]
        {
            auto* focused = juce::Component::getCurrentlyFocusedComponent();
            FocusRing* ring = nullptr;

            for (auto* child : shown.getChildren())
                if (auto* focusRing = dynamic_cast<FocusRing*> (child))
                    ring = focusRing;

            // The ring must have been put around this very control, not merely be standing where it
            // happens to cover it: a control inside another's ring would pass on the old mark.
            auto* marked = ring != nullptr ? ring->getMarked() : nullptr;

            return focused != nullptr && ring != nullptr && ring->isVisible() && shown.isParentOf (focused)
                && marked != nullptr && (marked == focused || marked->isParentOf (focused))
                && ring->getBounds().contains (shown.getLocalArea (focused, focused->getLocalBounds()));
        }, 5000);
    }

    const juce::Point<int> place { 60, 40 };
    juce::File userFolder { juce::File::createTempFile ("user") };
    std::unique_ptr<SkinManager> skinManager;
    std::unique_ptr<MorvaneLookAndFeel> lookAndFeel;
    ScriptedUserDialogs consoleDialogs;
    RecordingSystemServices services;
    JuceUserDialogs dialogs;
    std::unique_ptr<MainAppWindow> window;
};

TEST_F (RealWindowTest, EveryKindOfBoxFitsItsPartsInsideItsBounds)
{
    const TransferEnding noSend { TransferEnding::Kind::refused, {}, 0.0, false };

    const struct
    {
        const char* file;
        juce::MessageBoxIconType icon;
        bool okCancel;
        juce::String text;
        TransferEnding ending;     // what the page under the box shows
    } kinds[] = {
        { "box-warning-ok.png", juce::MessageBoxIconType::WarningIcon, false,
          "Another instance of Morvane was trying to start.\nOnly one instance can execute at a time.", noSend },
        { "box-information-ok.png", juce::MessageBoxIconType::InfoIcon, false, "Backup complete.", noSend },
        { "box-warning-ok-cancel.png", juce::MessageBoxIconType::WarningIcon, true,
          "Closing the application will cancel the current transfer.", noSend },
        { "box-information-ok-cancel.png", juce::MessageBoxIconType::InfoIcon, true,
          "The device reported error code 3 while it received the data. The transfer ended, and nothing "
          "was written to the device's memory. Check the cable and the device, then send the file again.", noSend },
        { "box-address.png", juce::MessageBoxIconType::WarningIcon, false,
          JuceSystemServices::urlNotOpenedText (juce::URL ("https://www.zandrel-audio.com/support/downloads/morvane/manuals/Morvane-User-Manual-2.10.pdf")), noSend },
        { "box-send-lost.png", juce::MessageBoxIconType::WarningIcon, false, TransferReport::lostDuringSendText (0.934),
          TransferReport::endingOf (TransferReport::Ending::lost, 0.934) },
        { "box-send-canceled.png", juce::MessageBoxIconType::InfoIcon, false,
          TransferReport::canceledText (6, PayloadKinds::orvixIIAllBanks, 0.07),
          TransferReport::endingOf (TransferReport::Ending::canceled, 0.07) },
    };

    for (const auto& kind : kinds)
    {
        SCOPED_TRACE (kind.file);

        // The line, the bar and the mark under the box as the send's ending leaves them (none for
        // the boxes that end no send).
        window->getConsole()->getTransfers().getView().showEnding (kind.ending);

        // The bar has reached its value (it climbs in steps) before the box shows over it.
        for (auto* c : window->getConsole()->getChildren())
        {
            if (auto* bar = dynamic_cast<TPXProgressBar*> (c))
            {
                EXPECT_TRUE (morvane::test::runMessageLoopUntil ([bar] { return ! bar->isAnimating(); }, 5000));
            }
        }

        // The box is checked once it has taken its layout's size and place: the window system may
        // report an earlier size or place after them, a moment later on a busy machine.
        WhenShown inspector ([this] { return settledBox(); },
                             [&] (juce::Component& c)
        {
            auto& box = static_cast<juce::AlertWindow&> (c);
            const auto layout = lookAndFeel->getAlertBoxLayout (box);
            const auto bounds = box.getLocalBounds();

            EXPECT_EQ (box.getName(), "Morvane");
            EXPECT_EQ (box.getAlertType(), kind.icon);
            EXPECT_EQ (box.getLocalBounds(), layout.box);
            EXPECT_LE (std::abs (box.getScreenBounds().getCentreX() - window->getScreenBounds().getCentreX()), 1) << "centred on the window";

            for (auto part : { layout.titleBar, layout.icon, layout.message, layout.footer })
                EXPECT_TRUE (bounds.contains (part)) << part.toString();

            EXPECT_FALSE (layout.icon.intersects (layout.message));
            EXPECT_FALSE (layout.titleBar.intersects (layout.icon));
            EXPECT_LE (layout.text.getHeight(), (float) layout.message.getHeight() + 0.5f) << "the whole message is shown";

            for (int i = 0; i < layout.text.getNumLines(); ++i)
                EXPECT_LE (layout.text.getLine (i).getLineBoundsX().getEnd(), (float) layout.message.getWidth() + 0.5f) << "line " << i;

            int buttons = 0;

            for (auto* child : box.getChildren())
            {
                if (auto* button = dynamic_cast<juce::TextButton*> (child))
                {
                    ++buttons;
                    EXPECT_TRUE (layout.footer.contains (button->getBounds())) << button->getButtonText();
                    EXPECT_TRUE (layout.buttons.contains (button->getBounds())) << button->getButtonText();
                    EXPECT_LT (lookAndFeel->getAlertWindowFont().withHeight (14.0f).getStringWidthFloat (button->getButtonText()),
                               (float) button->getWidth());
                }
            }

            EXPECT_EQ (buttons, kind.okCancel ? 2 : 1);
            EXPECT_TRUE (OwnedWindows::isMarkedAsDialogOf (box, *window))
                << "the box is a dialog of the main window (WM_TRANSIENT_FOR, _NET_WM_WINDOW_TYPE_DIALOG)";
            saveScreenshot (box, kind.file);
            box.exitModalState (0);
        });

        inspector.describe = [this]
        {
            auto* box = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());

            if (box == nullptr)
                return std::string ("no box");

            return ("box " + box->getScreenBounds().toString() + ", its layout " + lookAndFeel->getAlertBoxLayout (*box).box.toString()
                    + ", window " + window->getScreenBounds().toString() + "; the X server's view of the box: "
                    + whereTheServerHas (*box)).toStdString();
        };

        if (kind.okCancel)
            EXPECT_FALSE (dialogs.askOkCancel (kind.icon, "Morvane", kind.text));
        else
            dialogs.showMessage (kind.icon, "Morvane", kind.text);

        EXPECT_TRUE (inspector.ran);
    }
}

TEST_F (RealWindowTest, ABoxThatTheWindowManagerPutsElsewhereComesBackOverTheWindow)
{
    // A busy window manager places a new box by its own rules: played here by moving the box to
    // the screen's corner as soon as it shows over the window.
    struct WindowManagerStandIn : private juce::Timer
    {
        explicit WindowManagerStandIn (std::function<juce::AlertWindow*()> findBox) : settledBox (std::move (findBox)) { startTimer (5); }

        void timerCallback() override
        {
            auto* box = settledBox();

            if (! moved && box != nullptr && box->isShowing() && box->getPeer() != nullptr)
            {
                box->setTopLeftPosition (0, 0);
                moved = true;
            }
            else if (moved && box != nullptr)
            {
                cameBack = true;
                stopTimer();
                box->exitModalState (0);
            }
            else if (++ticks > 4000)   // 20 s
            {
                stopTimer();

                if (auto* modal = juce::Component::getCurrentlyModalComponent())
                    modal->exitModalState (0);
            }
        }

        std::function<juce::AlertWindow*()> settledBox;
        bool moved = false, cameBack = false;
        int ticks = 0;
    };

    const WindowManagerStandIn windowManager ([this] { return settledBox(); });
    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "Morvane", "Backup complete.");

    EXPECT_TRUE (windowManager.moved);
    EXPECT_TRUE (windowManager.cameBack) << "the box stayed in the corner";
}

TEST_F (RealWindowTest, AMenuIsAsWideAsItsBoxAndOpensBelowIt)
{
    auto* selector = consoleChild ("Device To Update");
    ASSERT_NE (selector, nullptr);

    juce::Array<juce::Component*> before;

    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        before.add (juce::Desktop::getInstance().getComponent (i));

    const auto findMenu = [&]() -> juce::Component*
    {
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (auto* c = juce::Desktop::getInstance().getComponent (i); ! before.contains (c))
                return c;

        return nullptr;
    };

    juce::Rectangle<int> menuBounds;
    const auto check = [&] (juce::Component& shown)
    {
        menuBounds = shown.getScreenBounds();
        saveScreenshot (shown, "popup-menu.png");
        juce::PopupMenu::dismissAllActiveMenus();
    };
    WhenShown inspector (findMenu, check);

    juce::PopupMenu menu;
    menu.addItem (3, "Orvix II Original/MK II");
    menu.addItem (16, "Orvix III");
    menu.addItem (2, "QMR-303 Original/MK II");

    EXPECT_EQ (dialogs.showMenu (menu, selector), 0);

    // A menu that closed before it was seen lost the keyboard focus to another window: again.
    for (int attempt = 0; attempt < 5 && ! inspector.ran; ++attempt)
    {
        ASSERT_TRUE (waitForFocus()) << describeWindows();
        WhenShown again (findMenu, [&] (juce::Component& shown) { inspector.ran = true; check (shown); });
        EXPECT_EQ (dialogs.showMenu (menu, selector), 0);
    }

    ASSERT_TRUE (inspector.ran);
    EXPECT_EQ (menuBounds.getWidth(), selector->getWidth());
    EXPECT_EQ (menuBounds.getX(), selector->getScreenX());
    EXPECT_GE (menuBounds.getY(), selector->getScreenBounds().getBottom() - 1);
}

/** The program-update check with its windows on the screen, and its protected parts in reach. */
struct UpdateOnScreen : TPXAutoUpdate
{
    using TPXAutoUpdate::TPXAutoUpdate;
    using TPXAutoUpdate::setInfoPage;
    using TPXAutoUpdate::showWindow;
    using TPXUpdateComponent::infoLabel;
    using TPXUpdateComponent::infoNotes;
    using TPXUpdateComponent::progressBar;

    juce::ToggleButton* noCheckToggle()
    {
        for (auto* child : getInfoView().getChildren())
            if (auto* toggle = dynamic_cast<juce::ToggleButton*> (child))
                return toggle;

        return nullptr;
    }
};

TEST_F (RealWindowTest, TheUpdateWindowsAreDrawnFromTheSkinAndKeepTheNoCheckChoiceHoweverTheyClose)
{
    juce::PropertiesFile settings (userFolder.getChildFile ("update.settings"), juce::PropertiesFile::Options());
    UpdateOnScreen update (skinManager.get(), 2, 10, 0, &settings);
    ASSERT_TRUE (update.hasNotesPage());
    ASSERT_NE (update.noCheckToggle(), nullptr);

    const auto findWindow = [] (const juce::String& title) -> juce::Component*
    {
        auto* modal = dynamic_cast<SkinnedDialogWindow*> (juce::Component::getCurrentlyModalComponent());
        return modal != nullptr && modal->getName() == title ? modal : nullptr;
    };

    // The window's look: the skin's title bar with a close button only, the dialogs' body colour,
    // a dialog of the main window, and no empty band under a one-line text.
    const auto checkLook = [&] (juce::DocumentWindow& shown)
    {
        EXPECT_FALSE (shown.isUsingNativeTitleBar());
        EXPECT_EQ (shown.getMaximiseButton(), nullptr);
        EXPECT_EQ (shown.getMinimiseButton(), nullptr);
        EXPECT_NE (shown.getCloseButton(), nullptr);
        EXPECT_FALSE (shown.isResizable());
        EXPECT_EQ (shown.getBackgroundColour(), lookAndFeel->getDialogLook().background);
        EXPECT_TRUE (OwnedWindows::isMarkedAsDialogOf (shown, *window));
    };

    const auto version = juce::String ("Version 2.11.0 is available. You have version 2.10.0 installed.");
    const auto button = juce::String ("Click OK to download and install the update.");

    // Closed with Escape: the tick set on the page is stored.
    {
        update.setInfoPage (version, "Version 2.11.0\n- Faster backups of user cab banks.", button, false);
        ASSERT_NE (update.infoLabel, nullptr);
        ASSERT_NE (update.infoNotes, nullptr);
        EXPECT_LE (update.infoNotes->getY() - update.infoLabel->getBottom(), 12) << "an empty band under the version line";

        // The notes are in an editor only while their window is open.
        const auto notesEditor = [&]
        {
            return update.infoNotes->getNumChildComponents() == 1 ? dynamic_cast<juce::TextEditor*> (update.infoNotes->getChildComponent (0))
                                                                  : nullptr;
        };

        EXPECT_EQ (notesEditor(), nullptr);

        WhenShown inspector ([&] { return findWindow ("Software Update"); }, [&] (juce::Component& c)
        {
            auto& shown = static_cast<juce::DocumentWindow&> (c);
            checkLook (shown);
            ASSERT_NE (notesEditor(), nullptr);
            EXPECT_EQ (notesEditor()->getText(), "Version 2.11.0\n- Faster backups of user cab banks.");
            EXPECT_TRUE (notesEditor()->isReadOnly());
            update.noCheckToggle()->setToggleState (true, juce::sendNotification);
            saveScreenshot (shown, "update-offer.png");
            ASSERT_NE (shown.getPeer(), nullptr);
            shown.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
        });

        EXPECT_FALSE (update.showWindow());
        EXPECT_TRUE (inspector.ran);
        EXPECT_EQ (notesEditor(), nullptr);
        EXPECT_TRUE (settings.getBoolValue (TPXAutoUpdate::skipCheckKey, false)) << "Escape lost the choice";
    }

    // Closed with the title bar's close box: the tick taken off is stored too.
    {
        WhenShown inspector ([&] { return findWindow ("Software Update"); }, [&] (juce::Component& c)
        {
            auto& shown = static_cast<juce::DocumentWindow&> (c);
            update.noCheckToggle()->setToggleState (false, juce::sendNotification);
            clickCloseBox (shown);
        });

        EXPECT_FALSE (update.showWindow());
        EXPECT_TRUE (inspector.ran);
        EXPECT_FALSE (settings.getBoolValue (TPXAutoUpdate::skipCheckKey, true)) << "the close box lost the choice";
    }

    // The end-of-life page, and the download's progress window over the main window.
    {
        update.setInfoPage ("2.10.0 is the final version of Morvane. No future updates are planned.", "Thank you.", {}, true);

        WhenShown inspector ([&] { return findWindow ("Software Update"); }, [&] (juce::Component& c)
        {
            saveScreenshot (c, "update-end-of-life.png");
            clickCloseBox (static_cast<juce::DocumentWindow&> (c));
        });

        update.showWindow();
        EXPECT_TRUE (inspector.ran);
    }

    {
        ASSERT_NE (update.progressBar, nullptr);
        juce::Component::SafePointer<SkinnedDialogWindow> progress (SkinnedDialogWindow::launchAsync ("Morvane Update", update, window.get()));
        update.progressBar->setProgress (0.45);
        ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return progress != nullptr && progress->isShowing()
                                                                      && progress->getPeer() != nullptr; }))
            << "the progress window never showed: " << describeWindows();
        checkLook (*progress);
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return update.progressBar->getProgress() >= 0.45; }));
        morvane::test::runMessageLoopUntil ([] { return false; }, 1600);   // the bar's animation reaches its value
        saveScreenshot (*progress, "update-download.png");
        progress->exitModalState (0);
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return progress == nullptr; })) << "the window deletes itself: " << describeWindows();
    }
}

TEST_F (RealWindowTest, AFolderChooserAndABoxOverADialogBelongToTheWindowTheyAreOpenedFrom)
{
    // The framework builds the chooser on its own; the watcher marks it as it takes the focus.
    const OwnedWindows::Watcher watcher;

    const auto markedChooser = [this]() -> juce::Component*
    {
        auto* modal = juce::Component::getCurrentlyModalComponent();
        auto* box = modal != nullptr ? dynamic_cast<juce::FileChooserDialogBox*> (modal->getTopLevelComponent()) : nullptr;
        return box != nullptr && box->isShowing() && OwnedWindows::isMarkedAsDialogOf (*box, *window) ? box : nullptr;
    };

    WhenShown chooserCheck (markedChooser, [this] (juce::Component& chooser)
    {
        saveScreenshot (chooser, "folder-chooser.png");
        chooser.exitModalState (0);
    });

    const auto start = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("morvane-chooser-" + juce::Uuid().toString());
    ASSERT_TRUE (start.getChildFile ("Backups").createDirectory());
    EXPECT_EQ (dialogs.chooseFolder ("Save installer to...", start), juce::File());
    EXPECT_TRUE (chooserCheck.ran) << "the folder chooser is not a dialog of the main window";
    start.deleteRecursively();

    // A box opened over a dialog belongs to that dialog.
    juce::Component content;
    content.setSize (300, 200);
    juce::Component::SafePointer<SkinnedDialogWindow> dialog (SkinnedDialogWindow::launchAsync ("KT4 Backup Type", content, window.get()));
    ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return dialog != nullptr && dialog->isShowing(); }))
        << "the dialog never showed: " << describeWindows();
    EXPECT_TRUE (OwnedWindows::isMarkedAsDialogOf (*dialog, *window));

    WhenShown boxCheck ([] { return dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent()); },
                        [&] (juce::Component& box)
    {
        EXPECT_TRUE (OwnedWindows::isMarkedAsDialogOf (box, *dialog)) << "the box does not belong to the dialog";
        box.exitModalState (0);
    });

    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, "Morvane", "Please choose one or more options.", {}, nullptr);
    EXPECT_TRUE (boxCheck.ran);

    if (dialog != nullptr)
        dialog->exitModalState (0);

    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return dialog == nullptr; })) << "the dialog stayed: " << describeWindows();
}

TEST_F (RealWindowTest, ABackupDialogDrawsItsCheckBoxesAsSquaresAndItsModesAsCircles)
{
    KT4BackupDialog dialog;
    dialog.buildFromSkin (skinManager.get());
    ASSERT_GT (dialog.getWidth(), 0);

    const auto shot = dialog.createComponentSnapshot (dialog.getLocalBounds());
    juce::FileOutputStream out (artefacts.getChildFile ("backup-kt4.png"));
    out.setPosition (0);
    out.truncate();
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (shot, out));

    // The body has the dialogs' colour, not the framework's grey.
    EXPECT_EQ (shot.getPixelAt (dialog.getWidth() - 3, 3), lookAndFeel->getDialogLook().background);

    // A bank toggle's mark is a square (its corner drawn), a mode toggle's a circle (its corner
    // left to the body).
    const auto markCorner = [&] (const juce::String& name)
    {
        for (auto* child : dialog.getChildren())
        {
            if (child->getName() == name)
            {
                const auto height = (float) child->getHeight();
                const auto tickWidth = juce::jmin (15.0f, height * 0.75f) * 1.1f;
                const auto size = juce::jmax (8.0f, tickWidth * 0.8f);
                const auto box = juce::Rectangle<float> (size, size)
                                     .withCentre ({ child->getX() + 4.0f + tickWidth * 0.5f, child->getY() + height * 0.5f })
                                     .toNearestInt();
                return shot.getPixelAt (box.getX() + 1, box.getY() + 1);
            }
        }

        ADD_FAILURE() << "no toggle " << name;
        return juce::Colour();
    };

    EXPECT_NE (markCorner ("backupPresetBanksToggle"), lookAndFeel->getDialogLook().background) << "a check box";
    EXPECT_EQ (markCorner ("backupKT4Toggle"), lookAndFeel->getDialogLook().background) << "a radio button";
}

TEST_F (RealWindowTest, AnInactiveWindowsTitleButtonsLookAsAtRest)
{
    auto* close = dynamic_cast<juce::DrawableButton*> (window->getCloseButton());
    auto* minimise = dynamic_cast<juce::DrawableButton*> (window->getMinimiseButton());
    ASSERT_NE (close, nullptr);
    ASSERT_NE (minimise, nullptr);

    // Another window of the program takes the focus; this one turns inactive.
    juce::DocumentWindow other ("Other", juce::Colours::white, 0);
    other.setUsingNativeTitleBar (true);
    other.setBounds (window->getScreenBounds().getRight() + 20, place.y, 200, 120);
    other.setVisible (true);
    ASSERT_TRUE (waitAskingEverySecond ([&] { return other.isActiveWindow() && ! window->isActiveWindow(); },
                                        [&] { other.toFront (true); }))
        << "the other window never took over: " << describeWindows();

    // The framework disables the buttons of an inactive window; they look as they do at rest.
    EXPECT_FALSE (close->isEnabled());

    for (auto* button : { close, minimise })
    {
        const auto inactive = button->createComponentSnapshot (button->getLocalBounds());
        button->setEnabled (true);
        button->setState (juce::Button::buttonNormal);
        const auto atRest = button->createComponentSnapshot (button->getLocalBounds());
        button->setState (juce::Button::buttonDown);
        const auto pressed = button->createComponentSnapshot (button->getLocalBounds());
        button->setState (juce::Button::buttonNormal);
        button->setEnabled (false);

        int differentFromRest = 0, differentFromPressed = 0;

        for (int y = 0; y < atRest.getHeight(); ++y)
        {
            for (int x = 0; x < atRest.getWidth(); ++x)
            {
                differentFromRest += inactive.getPixelAt (x, y) != atRest.getPixelAt (x, y) ? 1 : 0;
                differentFromPressed += inactive.getPixelAt (x, y) != pressed.getPixelAt (x, y) ? 1 : 0;
            }
        }

        EXPECT_EQ (differentFromRest, 0) << button->getName() << " does not look as it does at rest";
        EXPECT_GT (differentFromPressed, 0) << button->getName() << " looks pressed";
    }

    auto shot = window->createComponentSnapshot ({ 0, 0, window->getWidth(), window->getTitleBarHeight() });
    juce::FileOutputStream out (artefacts.getChildFile ("title-bar-inactive.png"));
    out.setPosition (0);
    out.truncate();
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (shot, out));
}

TEST_F (RealWindowTest, TheWindowTakesItsOwnSizeBack)
{
    const auto fixed = window->getFixedSize();
    EXPECT_EQ (fixed, juce::Rectangle<int> (800, 553 + (window->isUsingNativeTitleBar() ? 0 : 27)));

    for (auto size : { juce::Rectangle<int> (1000, 700), juce::Rectangle<int> (400, 300) })
    {
        window->setSize (size.getWidth(), size.getHeight());
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return window->getLocalBounds() == fixed; })) << size.toString();
        EXPECT_EQ (window->getConsole()->getLocalBounds(), juce::Rectangle<int> (0, 0, 800, 553));
    }
}
} // namespace

namespace
{
TEST_F (RealWindowTest, EveryWindowTakesTheKeyboardAsItAppearsWithoutAClick)
{
    const auto focusedComponent = [] { return juce::Component::getCurrentlyFocusedComponent(); };
    auto& console = *window->getConsole();
    const auto focusedName = [&] { auto* focused = focusedComponent(); return focused == nullptr ? juce::String ("<nothing>") : focused->getName(); };

    // The main window takes the keyboard with a control of the console focused and ringed: at
    // start its device picker, back from a dialog or a box the control that had it before.
    const auto keyboardAt = [&] (const juce::String& expected, const char* when)
    {
        EXPECT_TRUE (waitAskingEverySecond ([&] { return console.hasKeyboardFocus (true); }, [&] { window->toFront (true); }))
            << "the console never took the keyboard " << when << ": " << describeWindows();
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return focusedName() == expected; }, 5000))
            << focusedName() << " instead of " << expected << " " << when;
        EXPECT_TRUE (ringedFocus (console)) << "no ring " << when;
    };

    keyboardAt ("Device To Update", "at start");

    // The update offer: OK holds the keyboard in a ring, Tab moves on, Return presses OK wherever
    // the focus is.
    juce::PropertiesFile settings (userFolder.getChildFile ("update.settings"), juce::PropertiesFile::Options());
    UpdateOnScreen update (skinManager.get(), 2, 10, 0, &settings);
    update.setInfoPage ("Version 2.11.0 is available.", "Notes", "Click OK to download and install the update.", false);

    WhenShown offer ([] { return dynamic_cast<SkinnedDialogWindow*> (juce::Component::getCurrentlyModalComponent()); },
                     [&] (juce::Component& shown)
    {
        ASSERT_TRUE (waitForKeyboardIn (shown)) << describeWindows();
        EXPECT_EQ (focusedComponent(), update.getOkayButton());
        EXPECT_TRUE (ringedFocus (shown)) << "no ring around OK";
        saveScreenshot (shown, "keys-update-offer.png");
        EXPECT_TRUE (press (shown, juce::KeyPress::tabKey));
        EXPECT_NE (focusedComponent(), update.getOkayButton());
        EXPECT_TRUE (ringedFocus (shown)) << "the ring did not follow the focus";
        EXPECT_TRUE (press (shown, juce::KeyPress::returnKey));
    });

    EXPECT_TRUE (update.showWindow()) << "Return did not press OK";
    EXPECT_TRUE (offer.ran);

    keyboardAt ("Device To Update", "after the update offer");

    // Tab moves on from there.
    EXPECT_TRUE (press (*window, juce::KeyPress::tabKey));
    const auto tabbedTo = focusedName();
    EXPECT_NE (tabbedTo, "Device To Update");
    ASSERT_TRUE (console.isParentOf (focusedComponent()));
    EXPECT_TRUE (ringedFocus (console)) << "the ring did not follow the focus";

    // A message box: OK holds the keyboard; Tab and Space press Cancel.
    WhenShown box ([this] { return settledBox(); }, [&] (juce::Component& shown)
    {
        ASSERT_TRUE (waitForKeyboardIn (shown)) << describeWindows();
        ASSERT_NE (focusedComponent(), nullptr);
        EXPECT_EQ (focusedComponent()->getName(), "OK");
        EXPECT_TRUE (ringedFocus (shown));
        EXPECT_TRUE (press (shown, juce::KeyPress::tabKey));
        ASSERT_NE (focusedComponent(), nullptr);
        EXPECT_EQ (focusedComponent()->getName(), "Cancel");
        EXPECT_TRUE (ringedFocus (shown));
        saveScreenshot (shown, "keys-box.png");
        EXPECT_TRUE (press (shown, juce::KeyPress::spaceKey));
    });

    EXPECT_FALSE (dialogs.askOkCancel (juce::MessageBoxIconType::QuestionIcon, "Morvane", "Overwrite the file?"))
        << "Space did not press Cancel";
    EXPECT_TRUE (box.ran);

    // Back from the box a console control holds the keyboard in its ring: the one that had it
    // when the box opened, or, where the window's own hand-over came first, the starting control.
    EXPECT_TRUE (waitAskingEverySecond ([&] { return console.hasKeyboardFocus (true); }, [&] { window->toFront (true); }))
        << "the console never took the keyboard after a box: " << describeWindows();
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return focusedName() == tabbedTo || focusedName() == "Device To Update"; }, 5000))
        << focusedName() << " after a box";
    EXPECT_TRUE (ringedFocus (console)) << "no ring after a box";
}

// The Transmit dialogs have the dialogs' colours, their warnings are read whole, and they take the
// keyboard: the first control holds it, Escape cancels.
TEST_F (RealWindowTest, TheTransmitDialogsAreLightAndTheirWarningsReadWhole)
{
    const auto look = lookAndFeel->getDialogLook();

    for (const auto kind : { PayloadKinds::orvixIISystem, PayloadKinds::orvixIIBank, PayloadKinds::cabIR })
    {
        SendOptionsDialog::Setup setup;
        setup.kind = kind;
        setup.deviceModel = 3;
        setup.version.major = 20;
        setup.userCabCount = 128;
        setup.presetCount = 384;
        setup.fileText = "Orvix-II-backup.syx";
        SendOptionsDialog dialog (skinManager.get(), dialogs, setup);
        const auto title = dialog.getContent().title;
        int result = -1;

        WhenShown shown ([&] { auto* modal = juce::Component::getCurrentlyModalComponent();
                               return modal != nullptr && modal->getName() == title ? modal : nullptr; },
                         [&] (juce::Component& c)
        {
            const auto shot = dialog.createComponentSnapshot (dialog.getLocalBounds());
            EXPECT_EQ (shot.getPixelAt (dialog.getWidth() - 3, dialog.getHeight() / 2), look.background) << title;

            for (auto* child : dialog.getChildren())
            {
                if (auto* text = dynamic_cast<juce::TextEditor*> (child))
                {
                    EXPECT_LE (text->getTextHeight() + text->getBorder().getTopAndBottom(), text->getHeight())
                        << "scrolls: " << text->getText();
                    EXPECT_EQ (text->findColour (juce::TextEditor::textColourId), look.text);
                }
                else if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && label->getText().isNotEmpty())
                {
                    const auto area = label->getBorderSize().subtractedFrom (label->getLocalBounds());
                    const auto lines = juce::jmax (1, (int) (area.getHeight() / label->getFont().getHeight()));
                    EXPECT_LE (label->getFont().getStringWidthFloat (label->getText()), (float) (area.getWidth() * lines))
                        << "cut: " << label->getText();
                    EXPECT_LE (label->getRight(), dialog.getWidth() - 4) << "at the edge: " << label->getText();
                }
            }

            saveScreenshot (c, kind == PayloadKinds::cabIR ? "transmit-cab.png"
                                                          : kind == PayloadKinds::orvixIIBank ? "transmit-bank.png" : "transmit-system.png");
            ASSERT_TRUE (waitForKeyboardIn (c)) << describeWindows();
            EXPECT_TRUE (ringedFocus (c));
            EXPECT_TRUE (press (c, juce::KeyPress::escapeKey));
        });

        result = SkinnedDialogWindow::runModal (title, dialog, window.get());
        EXPECT_TRUE (shown.ran) << title;
        EXPECT_EQ (result, 0) << "Escape cancels " << title;
    }
}

/** The real pixels of an area of the screen, as the X server holds them; invalid when they could
    not be read. The message thread waits meanwhile: nothing the program hears changes them.
*/
juce::Image screenPixels (juce::Rectangle<int> area)
{
    const auto file = juce::File::createTempFile (".png");
    juce::ChildProcess grab;
    const juce::StringArray command { "import", "-window", "root", "-crop",
                                      juce::String::formatted ("%dx%d+%d+%d", area.getWidth(), area.getHeight(), area.getX(), area.getY()),
                                      "+repage", file.getFullPathName() };
    juce::Image image;

    if (grab.start (command) && grab.waitForProcessToFinish (20000) && grab.getExitCode() == 0)
        image = juce::ImageFileFormat::loadFrom (file);

    file.deleteFile();
    return image.isValid() ? image.convertedToFormat (juce::Image::RGB) : image;
}

// Under a window manager without a compositor, the part of the window that a closed box
// uncovered shows the box until the program paints it again: that must happen at once, without
// the pointer or a key waking the program.
TEST_F (RealWindowTest, ThePartOfTheWindowABoxUncoversIsPaintedAgainAtOnce)
{
    if (juce::File ("/usr/bin/import").existsAsFile() == false && juce::File ("/usr/local/bin/import").existsAsFile() == false)
        GTEST_SKIP() << "no ImageMagick import to read the screen";

    const juce::String texts[] = {
        TransferReport::lostCommunicationText,
        "A time-out has occurred while attempting to query the firmware version. Please verify the following:\n\n"
        "1) The connected device matches the selected device.\n2) The device is connected to the computer and powered on.\n"
        "3) The device driver is properly installed.",
    };

    // A window the window manager leaves alone (nothing else then reaches the program when it
    // closes), marked as the program marks its own, painted over the window and deleted.
    {
        struct Cover : juce::Component
        {
            void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::magenta); }
        };

        auto cover = std::make_unique<Cover>();
        cover->setBounds (window->getScreenBounds().withSizeKeepingCentre (300, 200));
        cover->addToDesktop (juce::ComponentPeer::windowIsTemporary);
        cover->setVisible (true);
        OwnedWindows::markAsDialog (*cover);
        morvane::test::runMessageLoopFor (500);
        const auto covered = cover->getScreenBounds();
        ASSERT_TRUE (screenPixels (covered).getPixelAt (150, 100) == juce::Colours::magenta) << "the cover never showed";
        cover.reset();

        morvane::test::runMessageLoopFor (500);
        const auto onScreen = screenPixels (covered);
        const auto drawn = window->createComponentSnapshot (window->getLocalArea (nullptr, covered)).convertedToFormat (juce::Image::RGB);
        EXPECT_TRUE (morvane::test::samePixels (onScreen, drawn))
            << "the uncovered part " << covered.toString() << " shows " << onScreen.getPixelAt (150, 100).toDisplayString (true)
            << " at its centre, the window " << drawn.getPixelAt (150, 100).toDisplayString (true);
    }

    for (const auto& text : texts)
    {
        SCOPED_TRACE (text.toStdString());
        juce::Rectangle<int> covered;

        WhenShown box ([this] { return settledBox(); }, [&] (juce::Component& shown)
        {
            morvane::test::runMessageLoopFor (300);   // drawn on the screen
            covered = shown.getScreenBounds().getIntersection (window->getScreenBounds());
            shown.exitModalState (0);
        });

        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", text);
        ASSERT_TRUE (box.ran);
        ASSERT_FALSE (covered.isEmpty());

        // A moment for the program to hear of the uncovered part; nothing moves the pointer.
        morvane::test::runMessageLoopFor (500);
        const auto onScreen = screenPixels (covered);
        ASSERT_TRUE (onScreen.isValid()) << "the screen could not be read";
        const auto drawn = window->createComponentSnapshot (window->getLocalArea (nullptr, covered)).convertedToFormat (juce::Image::RGB);
        EXPECT_TRUE (morvane::test::samePixels (onScreen, drawn)) << "the uncovered part " << covered.toString() << " still shows the box";
    }
}
} // namespace
