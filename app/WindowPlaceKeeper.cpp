#include "WindowPlaceKeeper.h"

namespace
{
constexpr int lookEveryMs = 20;
constexpr int mostTimesAsked = 5;   // a window manager that will not have it is left alone
}

//==============================================================================
/** The main window: taken back only from the corner that a busy window manager falls back to. */
class WindowPlaceKeeper::MainWindowPlacement : public Placement
{
public:
    MainWindowPlacement (juce::Component& windowToKeep, juce::Point<int> placeToKeep)
        : window (&windowToKeep), place (placeToKeep)
    {
    }

    bool isGone() const override { return window == nullptr; }

    juce::Component* findWindow() override { return window.getComponent(); }

    bool putBack (juce::Component& shown) override
    {
        // Any place but the corner is one that someone chose (a move by the user or by a test).
        const auto position = shown.getScreenPosition();
        const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (shown.getScreenBounds());
        const auto corner = display != nullptr ? display->userArea.getTopLeft() : juce::Point<int>();

        if (position == place || (position != corner && position != juce::Point<int>()))
            return false;

        shown.setTopLeftPosition (place);
        return true;
    }

private:
    juce::Component::SafePointer<juce::Component> window;
    const juce::Point<int> place;
};

//==============================================================================
/** A modal message box: centred on its owner window wherever it is seen. */
class WindowPlaceKeeper::BoxPlacement : public Placement
{
public:
    explicit BoxPlacement (juce::Component* ownerWindow) : owner (ownerWindow) {}

    bool isGone() const override { return owner == nullptr; }

    juce::Component* findWindow() override
    {
        // The first box seen is the one kept: a window shown over it is left where it is.
        auto* alert = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
        return box == nullptr || box == alert ? alert : nullptr;
    }

    bool putBack (juce::Component& shown) override
    {
        auto* const alert = dynamic_cast<juce::AlertWindow*> (&shown);

        if (alert == nullptr)
            return false;

        box = alert;

        // Where the box was put: centred on the owner, kept inside the owner's screen. The window
        // manager's own placement may reach the framework a moment after the box shows, so the
        // box is looked at until the end, not only until it is first seen in its place.
        const auto before = alert->getBounds();
        alert->centreAroundComponent (owner.getComponent(), before.getWidth(), before.getHeight());
        return alert->getBounds() != before;
    }

private:
    juce::Component::SafePointer<juce::Component> owner;
    juce::Component::SafePointer<juce::Component> box;
};

//==============================================================================
WindowPlaceKeeper::WindowPlaceKeeper (juce::Component& window, juce::Point<int> place)
    : WindowPlaceKeeper (std::make_unique<MainWindowPlacement> (window, place))
{
}

std::unique_ptr<WindowPlaceKeeper> WindowPlaceKeeper::forBoxesOver (juce::Component* owner)
{
    return std::unique_ptr<WindowPlaceKeeper> (new WindowPlaceKeeper (std::make_unique<BoxPlacement> (owner)));
}

WindowPlaceKeeper::WindowPlaceKeeper (std::unique_ptr<Placement> placementToUse)
    : placement (std::move (placementToUse)), started (juce::Time::getMillisecondCounterHiRes())
{
    if (! placement->isGone())
        startTimer (lookEveryMs);
}

void WindowPlaceKeeper::timerCallback()
{
    const auto& modifiers = juce::ModifierKeys::currentModifiers;

    if (placement->isGone() || modifiers.isAnyMouseButtonDown() || modifiers.isAnyModifierKeyDown()
        || timesAsked >= mostTimesAsked)
    {
        stopTimer();
        return;
    }

    const auto now = juce::Time::getMillisecondCounterHiRes();
    auto* window = placement->findWindow();
    const auto showing = window != nullptr && window->isShowing() && window->getPeer() != nullptr;

    // The time counts from the first look that finds the window shown, so that a message loop
    // held up while the program starts does not use it up; a window that never shows ends the
    // watch all the same.
    if (showing && shownAt == 0.0)
        shownAt = now;

    if (now - (shownAt > 0.0 ? shownAt : started) > keepForMs)
    {
        stopTimer();
        return;
    }

    if (showing && placement->putBack (*window))
        ++timesAsked;
}
