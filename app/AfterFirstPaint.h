#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** Runs one step once a window's first picture is on the screen, for start-up work that would
    otherwise keep the window blank.

    The window tells it of each paint (painted()). The framework hands a painted picture to the
    display at its next frame, so the step waits for the second frame after the first paint, and
    then runs once, from the message loop. Deleting this object before then drops the step.
    Message thread only.
*/
class AfterFirstPaint : private juce::AsyncUpdater
{
public:
    AfterFirstPaint (juce::Component& window, std::function<void()> step);
    ~AfterFirstPaint() override;

    /** Called by the window at the end of its paint(). */
    void painted();

    /** True until the step has run. */
    bool isPending() const noexcept { return step != nullptr; }

private:
    void handleAsyncUpdate() override;

    juce::Component& window;
    std::function<void()> step;
    std::unique_ptr<juce::VBlankAttachment> frames;
    int framesSincePaint = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AfterFirstPaint)
};
