#include "AppTestDoubles.h"
#include "ConsoleSettings.h"
#include "DeviceQueries.h"
#include "MainAppWindow.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "MorvaneApplication.h"
#include "MorvaneDialog.h"
#include "SkinManager.h"
#include "SysExRequest.h"
#include "TestSkin.h"
#include "Transfers.h"
#include "WindowPlaceKeeper.h"
#include "WindowsOnScreen.h"

#include <gtest/gtest.h>

namespace
{
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (skinManager.load (false)); }
    void TearDown() override { userFolder.deleteRecursively(); }

    juce::File userFolder { juce::File::createTempFile ("user") };
    TestSkin skin;
    SkinManager skinManager { skin.folder };
    ScriptedUserDialogs dialogs;
    RecordingSystemServices services;
};

TEST_F (WindowTest, WindowHoldsTheConsoleAndClosingStoresItsState)
{
    juce::String storedState;

    {
        MainAppWindow window (&skinManager, nullptr, dialogs, services, userFolder);
        EXPECT_EQ (window.getName(), "Morvane");
        EXPECT_TRUE (window.isVisible());
        ASSERT_NE (window.getConsole(), nullptr);
        EXPECT_EQ (window.getConsole()->getLocalBounds(), juce::Rectangle<int> (0, 0, 800, 553));
        EXPECT_EQ (window.getWidth(), 800);
        EXPECT_EQ (window.getHeight(), 553 + (window.isUsingNativeTitleBar() ? 0 : 27));

        window.setTopLeftPosition (123, 77);
        window.closeButtonPressed();
        EXPECT_EQ (services.quits, 1);
        EXPECT_TRUE (dialogs.boxes.empty()) << "no question without a transfer";
        storedState = window.getWindowStateAsString();
    }

    ConsoleSettings settings (userFolder);
    settings.load();
    EXPECT_EQ (settings.getWindowState(), storedState);
    EXPECT_TRUE (storedState.isNotEmpty());

    MainAppWindow again (&skinManager, nullptr, dialogs, services, userFolder);
    EXPECT_EQ (again.getWindowStateAsString(), storedState) << "the window restores its place";
}

TEST_F (WindowTest, ClosingWarnsWhenTheSettingsCannotBeSaved)
{
    MainAppWindow window (&skinManager, nullptr, dialogs, services, userFolder);
    const auto file = window.getConsole()->getSettings().getOptions().getDefaultFile();
    file.deleteFile();
    ASSERT_TRUE (file.createDirectory().wasOk());

    window.closeButtonPressed();
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Preferences could not be saved.");
    EXPECT_EQ (services.quits, 1) << "the program still quits";
}

TEST_F (WindowTest, ShutdownOrderWithOpenPortsAndARunningWorker)
{
    auto link = std::make_unique<MidiProcessing> (std::make_unique<FakePortBackend> (
        juce::StringArray { "Orvix III MIDI" }, juce::StringArray { "Orvix III MIDI" }));
    link->getPortManager().refreshDeviceLists();

    auto window = std::make_unique<MainAppWindow> (&skinManager, link.get(), dialogs, services, userFolder);
    window->getConsole()->getTransfers().getQueries().setTimeoutMs (100);   // these ports never answer
    window->getConsole()->chooseDevice (16);
    ASSERT_TRUE (link->isThreadRunning());

    // A request left in the link's hands when the program ends.
    SysExRequest request;
    ASSERT_TRUE (link->enqueueRequest (&request));
    morvane::test::runMessageLoopFor (20);

    // The application's order: the window (and its console) first, then the link.
    window.reset();
    link.reset();
    EXPECT_NE (request.getState(), SysExRequest::pending);
}

TEST (MorvaneApplicationText, AnotherInstanceWarning)
{
    EXPECT_EQ (MorvaneApplication::anotherInstanceText(),
               "Another instance of Morvane was trying to start.\nOnly one instance can execute at a time.");
}

TEST (MorvaneApplicationDownload, QuitsOnlyWhenTheInstallerStarted)
{
    ScriptedUserDialogs dialogs;
    RecordingSystemServices services;
    const auto installer = juce::File::createTempFile (".bin");
    ASSERT_TRUE (installer.replaceWithText ("installer"));

    EXPECT_TRUE (MorvaneApplication::handleDownloadResult (1, installer, dialogs, services));
    EXPECT_EQ (services.started.size(), 1);
    EXPECT_TRUE (dialogs.boxes.empty());

    services.processStarts = false;
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (1, installer, dialogs, services));
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_TRUE (dialogs.boxes[0].text.contains (installer.getFullPathName()));

    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (2, installer, dialogs, services));
    EXPECT_EQ (dialogs.boxes.back().text, "Update canceled.");
    EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::InfoIcon);   // the user's own choice
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (3, installer, dialogs, services));
    EXPECT_EQ (dialogs.boxes.back().text, "Download error.");
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (4, installer, dialogs, services));
    EXPECT_TRUE (dialogs.boxes.back().text.contains (installer.getFullPathName()));
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (5, installer, dialogs, services));
    EXPECT_EQ (dialogs.boxes.back().text, "The update server sent something that is not an installer. Nothing was saved.");
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (0, installer, dialogs, services));
    EXPECT_EQ (dialogs.boxes.size(), 5u);

    // Where the Windows installer cannot run, saving it was the whole promise: information, and
    // where it lies, with nothing started.
    const auto startsBefore = services.started.size();
    EXPECT_FALSE (MorvaneApplication::handleDownloadResult (1, installer, dialogs, services, false));
    EXPECT_EQ (services.started.size(), startsBefore);
    EXPECT_EQ (dialogs.boxes.back().icon, juce::MessageBoxIconType::InfoIcon);
    EXPECT_EQ (dialogs.boxes.back().text, "The Windows installer of the update was saved as:\n" + installer.getFullPathName());

    installer.deleteFile();
}
} // namespace

TEST (WindowPlaceKeeper, TakesTheWindowBackFromTheCornerButLeavesAChosenPlace)
{
    using morvane::test::describeWindows;

    // Without a frame, as the main window is: the window manager's corner is exactly (0, 0).
    juce::DocumentWindow window ("Morvane", juce::Colours::grey, 0);
    window.setUsingNativeTitleBar (false);
    window.setBounds (300, 200, 320, 200);
    window.setVisible (true);

    // The window manager takes the window on in its own time and tells the framework later
    // still: the keeper starts once both have it in its place, so that no news of an earlier
    // place comes in while it watches.
    ASSERT_TRUE (morvane::test::waitUntilPlaced (window, { 300, 200 })) << "the window never showed in its place: " << describeWindows();
    const WindowPlaceKeeper keeper (window, { 300, 200 });

    // A busy window manager puts the window in the screen's corner: it comes back, on the
    // server too.
    window.setTopLeftPosition (0, 0);
    const auto backOnServer = [&]
    {
        return window.getScreenPosition() == juce::Point<int> (300, 200) && morvane::test::serverPosition (window) == juce::Point<int> (300, 200);
    };
    EXPECT_TRUE (morvane::test::runMessageLoopUntil (backOnServer, 10000)) << "the window stayed in the corner: " << describeWindows();

    // Anywhere else is a place someone chose: it is still there once the keeper's time is over
    // and all it asked for has been done.
    ASSERT_TRUE (morvane::test::waitUntilPlaced (window, { 420, 260 })) << "the window never reached the chosen place: " << describeWindows();
    ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return ! keeper.isWatching(); })) << "the keeper's time is over";
    ASSERT_TRUE (morvane::test::deliverPendingMessages());
    EXPECT_EQ (window.getScreenPosition(), juce::Point<int> (420, 260)) << describeWindows();
    EXPECT_EQ (morvane::test::serverPosition (window), juce::Point<int> (420, 260)) << describeWindows();
}

TEST (WindowPlaceKeeper, StopsWatchingWhenNothingEverShows)
{
    // A window that never shows, and a keeper for boxes that never come: each keeper stops
    // looking once its time is over, so an idle program is not woken for them.
    juce::DocumentWindow window ("Morvane", juce::Colours::grey, 0);
    window.setBounds (300, 200, 320, 200);

    const WindowPlaceKeeper keeper (window, { 300, 200 });
    const auto boxKeeper = WindowPlaceKeeper::forBoxesOver (&window);
    EXPECT_TRUE (keeper.isWatching());
    EXPECT_TRUE (boxKeeper->isWatching());

    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return ! keeper.isWatching(); })) << "the window's keeper went on looking";
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return ! boxKeeper->isWatching(); })) << "the boxes' keeper went on looking";

    // Without a window to centre them on, boxes are not watched at all.
    EXPECT_FALSE (WindowPlaceKeeper::forBoxesOver (nullptr)->isWatching());
}

TEST (WindowPlaceKeeper, APressOfTheUsersEndsTheWatch)
{
    using morvane::test::describeWindows;

    // A mouse button or a modifier key pressed while the window is watched: whatever comes next
    // is the user's doing (a drag of the window to the corner included) and is left alone.
    for (const auto pressed : { juce::ModifierKeys::leftButtonModifier, juce::ModifierKeys::altModifier })
    {
        juce::DocumentWindow window ("Morvane", juce::Colours::grey, 0);
        window.setUsingNativeTitleBar (false);
        window.setBounds (300, 200, 320, 200);
        window.setVisible (true);
        ASSERT_TRUE (morvane::test::waitUntilPlaced (window, { 300, 200 })) << describeWindows();

        const WindowPlaceKeeper keeper (window, { 300, 200 });
        ASSERT_TRUE (keeper.isWatching());

        const auto before = juce::ModifierKeys::currentModifiers;
        juce::ModifierKeys::currentModifiers = juce::ModifierKeys (pressed);
        const auto stopped = morvane::test::runMessageLoopUntil ([&] { return ! keeper.isWatching(); }, 500);
        juce::ModifierKeys::currentModifiers = before;
        EXPECT_TRUE (stopped) << "the keeper went on watching through the press " << pressed;

        // The move is seen through on the server, and whatever the keeper had asked for before
        // it stopped has been done: the window stays.
        window.setTopLeftPosition (0, 0);
        ASSERT_TRUE (morvane::test::waitUntilPlaced (window, {})) << "the window never reached the corner: " << describeWindows();
        ASSERT_TRUE (morvane::test::deliverPendingMessages());
        EXPECT_EQ (window.getScreenPosition(), juce::Point<int>()) << "the window was taken from where the user put it: " << describeWindows();
        EXPECT_EQ (morvane::test::serverPosition (window), juce::Point<int>()) << describeWindows();
    }
}
