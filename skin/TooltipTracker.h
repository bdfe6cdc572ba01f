#pragma once

#include <juce_graphics/juce_graphics.h>

/** Decides, from one look at the mouse after another, when a tooltip appears, changes and goes.

    The rules are those of juce::TooltipWindow: a tip appears once the mouse has rested for the
    delay over something whose tip is not empty (a move of more than 12 pixels between two looks
    starts the delay again); while a tip shows, or within 500 ms of one going, moving onto another
    tip shows it at once; moving onto nothing, onto something without a tip, or a press or wheel
    turn while a tip shows hides it; no tip appears where the last press of a button happened.

    Unlike the framework's window, which looks every 123 ms for as long as it exists, the tracker
    says when another look can change nothing until the mouse does something again, so that its
    window may stop looking. It knows nothing of components or time sources: the caller hands it
    what lies under the mouse and the millisecond counter.
*/
class TooltipTracker
{
public:
    explicit TooltipTracker (int millisecondsBeforeTipAppears);

    /** What one look at the mouse sees. */
    struct Look
    {
        const void* target = nullptr;       ///< what lies under the mouse; null for nothing of ours
        juce::String tip;                   ///< the tip it would show now; empty for none
        juce::Point<float> position;        ///< the mouse's position on the screen
        bool pressedHere = false;           ///< the last press of a button happened at this position
        juce::uint32 nowMs = 0;             ///< the millisecond counter
    };

    enum class Action
    {
        none,   ///< leave the window as it is
        show,   ///< show getTipShowing() at the look's position
        hide    ///< hide the window
    };

    /** Takes one look at the mouse and returns what the window must do. */
    Action look (const Look& seen);

    /** A press of a button or a turn of the wheel: a tip that shows goes at the next look. */
    void dismiss() noexcept;

    /** The window went away under the mouse (the mouse entered the tip itself, say). Returns
        hide when a tip was showing.
    */
    Action hideNow (juce::uint32 nowMs);

    bool isTipShowing() const noexcept { return showing; }
    const juce::String& getTipShowing() const noexcept { return tipShowing; }

    /** True while another look may change something without a new mouse event: the mouse moved
        since the look before, a tip waits for its delay, or a dismissal is pending.
    */
    bool needsAnotherLook() const noexcept { return movedAtLastLook || tipWaiting || dismissed; }

    static constexpr float quickMovePixels = 12.0f;
    static constexpr juce::uint32 recentlyHiddenMs = 500;

private:
    Action hide (juce::uint32 nowMs);

    int delayMs;
    const void* lastTarget = nullptr;
    juce::String lastTip, tipShowing;
    juce::Point<float> lastPosition;
    juce::uint32 lastChangeMs = 0, lastHideMs = 0;
    bool hiddenOnce = false, showing = false, dismissed = false;
    bool movedAtLastLook = false, tipWaiting = false, looked = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TooltipTracker)
};
