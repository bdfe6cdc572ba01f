#include "AfterFirstPaint.h"

#include <utility>

AfterFirstPaint::AfterFirstPaint (juce::Component& windowToWatch, std::function<void()> stepToRun)
    : window (windowToWatch),
      step (std::move (stepToRun))
{
}

AfterFirstPaint::~AfterFirstPaint()
{
    cancelPendingUpdate();
}

void AfterFirstPaint::painted()
{
    if (step == nullptr || frames != nullptr)
        return;

    // The picture of this paint reaches the display during the next frame; the frame after that
    // finds it there.
    frames = std::make_unique<juce::VBlankAttachment> (&window, [this]
    {
        if (++framesSincePaint == 2)
            triggerAsyncUpdate();
    });
}

void AfterFirstPaint::handleAsyncUpdate()
{
    frames.reset();

    if (auto stepNow = std::exchange (step, nullptr))
        stepNow();
}
