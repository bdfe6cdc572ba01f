#pragma once

#include "TPXResizableComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** Holds the progress value of a TPXProgressBar. A base of its own so that the value exists
    before juce::ProgressBar, which reads it while it is constructed.
*/
struct TPXProgressValue
{
    double progressValue = 0.0;
};

/** The skinned progress bar: a juce::ProgressBar bound to its own progress value.

    The owning dialog writes the value (0.0 to 1.0) and the bar's text on the message thread; the
    bar moves towards them on its own 30 ms animation timer. That timer runs only while the bar is
    visible and has something to show: from a change of value or text until the bar has caught
    up with it, or for as long as a value outside 0 to 1 animates. An idle bar costs nothing.
*/
class TPXProgressBar : private TPXProgressValue,
                       public juce::ProgressBar,
                       public TPXResizableComponent
{
public:
    TPXProgressBar();
    ~TPXProgressBar() override;

    void setProgress (double newProgress);
    double getProgress() const noexcept { return progressValue; }

    /** As juce::ProgressBar's, and the bar shows the change. */
    void setTextToDisplay (const juce::String& text);
    void setPercentageDisplay (bool shouldDisplayPercentage);

    /** True while the animation timer runs. */
    bool isAnimating();

    void applyScale (bool apply) override;

    /** How long the animation runs after the last change: longer than the bar takes to cross
        its whole width.
    */
    static constexpr int settleMs = 1500;

protected:
    void visibilityChanged() override;

private:
    class Settler;

    juce::Timer& animationTimer();
    void animate();
    void settle();

    std::unique_ptr<Settler> settler;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXProgressBar)
};
