#include "TPXProgressBar.h"

namespace
{
    constexpr int animationPeriodMs = 30;   // juce::ProgressBar's own
}

/** Ends the animation once the bar has had time to catch up with the last change. */
class TPXProgressBar::Settler : public juce::Timer
{
public:
    explicit Settler (TPXProgressBar& barToSettle) : bar (barToSettle) {}

    void timerCallback() override
    {
        stopTimer();
        bar.settle();
    }

private:
    TPXProgressBar& bar;
};

TPXProgressBar::TPXProgressBar()
    : juce::ProgressBar (progressValue),
      settler (std::make_unique<Settler> (*this))
{
}

TPXProgressBar::~TPXProgressBar()
{
    settler.reset();
    animationTimer().stopTimer();
}

juce::Timer& TPXProgressBar::animationTimer()
{
    // juce::ProgressBar keeps its animation timer as a private base and starts it whenever the
    // bar is shown, for good. The explicit conversion to that base (a cast that C++ allows to a
    // private base) lets the bar run it only while it moves; its callback stays the framework's.
    return *(juce::Timer*) static_cast<juce::ProgressBar*> (this);
}

void TPXProgressBar::setProgress (double newProgress)
{
    if (newProgress == progressValue)
        return;

    progressValue = newProgress;
    animate();
}

void TPXProgressBar::setTextToDisplay (const juce::String& text)
{
    juce::ProgressBar::setTextToDisplay (text);
    animate();
}

void TPXProgressBar::setPercentageDisplay (bool shouldDisplayPercentage)
{
    juce::ProgressBar::setPercentageDisplay (shouldDisplayPercentage);
    animate();
}

bool TPXProgressBar::isAnimating()
{
    return animationTimer().isTimerRunning();
}

void TPXProgressBar::animate()
{
    if (! isVisible())
        return;

    if (! animationTimer().isTimerRunning())
        animationTimer().startTimer (animationPeriodMs);

    settler->startTimer (settleMs);
}

void TPXProgressBar::settle()
{
    // Outside 0 to 1 the look-and-feel draws a moving bar: it animates for as long as it shows.
    if (progressValue >= 0.0 && progressValue <= 1.0)
        animationTimer().stopTimer();
}

void TPXProgressBar::visibilityChanged()
{
    if (isVisible())
    {
        animate();
    }
    else
    {
        settler->stopTimer();
        animationTimer().stopTimer();
    }
}

void TPXProgressBar::applyScale (bool apply)
{
    applyScaleTo (*this, apply);
}
