#pragma once

#include "TooltipTracker.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The tooltip window of a window's content: shows the tips of the components inside the
    component it is given, drawn and placed by the look-and-feel, as juce::TooltipWindow does
    (the rules are TooltipTracker's).

    juce::TooltipWindow looks at the mouse every 123 ms for as long as it exists and, as a global
    mouse listener, keeps the desktop's own 100 ms mouse check running too, so it wakes an idle
    program all the time. This window listens to the mouse events of its parent instead and looks
    at the mouse, at the same 123 ms, only from such an event until another look can change
    nothing: the mouse at rest, no tip waiting for its delay. Called on the message thread.
*/
class HoverTooltipWindow : public juce::Component,
                           private juce::Timer
{
public:
    /** Becomes a hidden child of the parent and listens to the mouse events of everything in it. */
    explicit HoverTooltipWindow (juce::Component& parent, int millisecondsBeforeTipAppears = 700);
    ~HoverTooltipWindow() override;

    /** The tip on show; empty when none shows. */
    juce::String getTipShowing() const { return tracker.getTipShowing(); }

    /** True while the window looks at the mouse, from a mouse event in the parent until the
        mouse has come to rest with nothing left to wait for.
    */
    bool isWatchingMouse() const { return isTimerRunning(); }

    static constexpr int lookPeriodMs = 123;

    void paint (juce::Graphics&) override;
    void mouseEnter (const juce::MouseEvent&) override;

protected:
    /** Whether tips may show at all: while the program is in front, as the framework's window
        asks. A test may stand in for the display's focus.
    */
    virtual bool mayShowTips() const;

private:
    class MouseWatcher;

    void timerCallback() override;
    void wake (bool dismissing);
    void lookAtMouse();
    juce::String tipFor (juce::Component&) const;
    void showTip (const juce::String& tip, juce::Point<float> screenPosition);

    TooltipTracker tracker;
    juce::Component::SafePointer<juce::Component> watched;
    std::unique_ptr<MouseWatcher> watcher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HoverTooltipWindow)
};
