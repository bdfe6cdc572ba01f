#include "MainAppWindow.h"

#include "AfterFirstPaint.h"
#include "MorvaneDialog.h"
#include "SystemServices.h"
#include "WindowPlaceKeeper.h"

MainAppWindow::MainAppWindow (SkinManager* skin, MidiProcessing* link, UserDialogs& dialogs, SystemServices& servicesToUse,
                              const juce::File& userFolder)
    : juce::DocumentWindow ("Morvane", juce::Colour (0xffd3d3d3), juce::DocumentWindow::allButtons, true),
      services (servicesToUse)
{
    setTitleBarHeight (titleBarHeight);
    setTitleBarButtonsRequired (juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, false);
    setTitleBarTextCentred (false);

    console = new MorvaneDialog (skin, link, dialogs, services, userFolder);
    setContentOwned (console, true);
    console->setBounds (0, 0, MorvaneDialog::consoleWidth, MorvaneDialog::consoleHeight);

    const int barHeight = isUsingNativeTitleBar() ? 0 : juce::jmin (titleBarHeight, getHeight() - 4);
    fixedWidth = MorvaneDialog::consoleWidth;
    fixedHeight = MorvaneDialog::consoleHeight + juce::jmax (0, barHeight);
    setResizable (false, false);
    setResizeLimits (fixedWidth, fixedHeight, fixedWidth, fixedHeight);
    setSize (fixedWidth, fixedHeight);

    // A stored state puts the window back where the user left it; the first start centres it on
    // the main screen rather than leaving it in the screen's corner.
    const auto state = console->getWindowStateText();

    if (state.isEmpty() || ! restoreWindowStateFromString (state))
        centreWithSize (fixedWidth, fixedHeight);

    // A busy window manager may place the window by its own rules as it maps it: it is asked
    // again for the place given here.
    placeKeeper = std::make_unique<WindowPlaceKeeper> (*this, getScreenPosition());

    setVisible (true);
}

MainAppWindow::~MainAppWindow()
{
    cancelPendingUpdate();
    placeKeeper.reset();
    afterFirstPaint.reset();

    // The content goes first, while the window is still whole.
    clearContentComponent();
    console = nullptr;
}

void MainAppWindow::closeButtonPressed()
{
    if (console != nullptr)
    {
        if (! console->confirmClose())
            return;

        console->saveWindowState();
        console->saveSettingsAndWarn();
    }

    services.quit();
}

void MainAppWindow::callAfterFirstPaint (std::function<void()> step)
{
    afterFirstPaint = std::make_unique<AfterFirstPaint> (*this, std::move (step));
}

void MainAppWindow::paint (juce::Graphics& g)
{
    juce::DocumentWindow::paint (g);

    if (afterFirstPaint != nullptr)
        afterFirstPaint->painted();
}

void MainAppWindow::focusGained (FocusChangeType cause)
{
    juce::DocumentWindow::focusGained (cause);

    if (console != nullptr && console->isShowing())
        console->grabKeyboardFocus();
}

void MainAppWindow::bringToFront()
{
    if (isMinimised())
        setMinimised (false);

    setVisible (true);
    toFront (true);
}

void MainAppWindow::storeStateForQuit()
{
    if (console == nullptr)
        return;

    console->saveWindowState();
    console->getSettings().save();
}

void MainAppWindow::resized()
{
    juce::DocumentWindow::resized();

    // The console has one size. A window manager that resizes (or maximises) the window anyway
    // gets the fixed size back once the current event is handled.
    if (fixedWidth > 0 && (getWidth() != fixedWidth || getHeight() != fixedHeight))
        triggerAsyncUpdate();
}

void MainAppWindow::handleAsyncUpdate()
{
    // A window manager that insists on its own size (a tiling one) gets its way rather than a
    // resizing contest: at most a few corrections every two seconds.
    const auto now = juce::Time::getMillisecondCounter();

    if (now - correctionsStart > 2000)
    {
        correctionsStart = now;
        corrections = 0;
    }

    if (++corrections > 5)
        return;

    if (isFullScreen())
        setFullScreen (false);

    if (getWidth() != fixedWidth || getHeight() != fixedHeight)
        setSize (fixedWidth, fixedHeight);
}
