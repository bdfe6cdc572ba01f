#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Keeps a new window where the program put it while the window manager takes it on.

    A busy window manager may map a new window before it has heard where the program put it and
    then place it by its own rules (seen with a loaded machine: the screen's top-left corner, away
    from where the window belongs). While it watches, this looks at the window every 20 ms and,
    where its placement rule finds the window out of place, asks again for the window's place (a
    few times at most: a window manager that will not have it is left alone).

    It watches for two seconds from when the window first shows, and stops at once when the user
    presses a mouse button or a modifier key, so a window that the user moves stays where it was
    moved. A window that has not shown two seconds after the keeper started is not waited for any
    longer: an idle program is not woken for it. Message thread only.
*/
class WindowPlaceKeeper : private juce::Timer
{
public:
    /** Keeps the main window's top-left corner at the given screen position. Only the corner that
        a busy window manager falls back to is taken back: any other place is one that someone
        chose (a move by the user or by a test).
    */
    WindowPlaceKeeper (juce::Component& window, juce::Point<int> place);

    /** Keeps the modal message box shown while the keeper lives centred on the owner window, kept
        inside the owner's screen, wherever the window manager puts it. Watches nothing when the
        owner is null.
    */
    static std::unique_ptr<WindowPlaceKeeper> forBoxesOver (juce::Component* owner);

    /** True while the keeper still looks at its window. */
    bool isWatching() const { return isTimerRunning(); }

    /** How long the place is kept once the window shows, and how long a window that has not
        shown yet is waited for.
    */
    static constexpr double keepForMs = 2000.0;

private:
    /** Which window a keeper looks after and where that window belongs. */
    class Placement
    {
    public:
        virtual ~Placement() = default;

        /** True once there is nothing more to keep (the window, or the one it belongs over, is gone). */
        virtual bool isGone() const = 0;

        /** The window to look after now, or null while there is none. */
        virtual juce::Component* findWindow() = 0;

        /** Asks for the shown window's place again where the window manager put it elsewhere;
            returns true when it asked.
        */
        virtual bool putBack (juce::Component& window) = 0;
    };

    class MainWindowPlacement;
    class BoxPlacement;

    explicit WindowPlaceKeeper (std::unique_ptr<Placement> placement);

    void timerCallback() override;

    std::unique_ptr<Placement> placement;
    const double started;
    double shownAt = 0.0;
    int timesAsked = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowPlaceKeeper)
};
