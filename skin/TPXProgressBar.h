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

    The owning dialog writes the value (0.0 to 1.0) with setProgress() on the message thread; the
    bar repaints on its own timer.
*/
class TPXProgressBar : private TPXProgressValue,
                       public juce::ProgressBar,
                       public TPXResizableComponent
{
public:
    TPXProgressBar();
    ~TPXProgressBar() override = default;

    void setProgress (double newProgress) noexcept { progressValue = newProgress; }
    double getProgress() const noexcept { return progressValue; }

    void applyScale (bool apply) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXProgressBar)
};
