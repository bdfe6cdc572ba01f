#include "HoverTooltipWindow.h"

/** Hears every mouse event of the parent and its children, and wakes the window. */
class HoverTooltipWindow::MouseWatcher : public juce::MouseListener
{
public:
    explicit MouseWatcher (HoverTooltipWindow& windowToWake) : window (windowToWake) {}

    void mouseMove (const juce::MouseEvent&) override                                  { window.wake (false); }
    void mouseEnter (const juce::MouseEvent&) override                                 { window.wake (false); }
    void mouseExit (const juce::MouseEvent&) override                                  { window.wake (false); }
    void mouseDown (const juce::MouseEvent&) override                                  { window.wake (true); }
    void mouseDrag (const juce::MouseEvent&) override                                  { window.wake (false); }
    void mouseUp (const juce::MouseEvent&) override                                    { window.wake (false); }
    void mouseDoubleClick (const juce::MouseEvent&) override                           { window.wake (true); }
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override { window.wake (true); }

private:
    HoverTooltipWindow& window;

    JUCE_DECLARE_NON_COPYABLE (MouseWatcher)
};

//==============================================================================
HoverTooltipWindow::HoverTooltipWindow (juce::Component& parent, int millisecondsBeforeTipAppears)
    : juce::Component ("tooltip"),
      tracker (millisecondsBeforeTipAppears),
      watched (&parent),
      watcher (std::make_unique<MouseWatcher> (*this))
{
    setAlwaysOnTop (true);
    setOpaque (true);
    setAccessible (false);
    parent.addChildComponent (this);

    // A touch screen has no hovering mouse, and so no tips (as the framework's window).
    if (juce::Desktop::getInstance().getMainMouseSource().canHover())
        parent.addMouseListener (watcher.get(), true);
}

HoverTooltipWindow::~HoverTooltipWindow()
{
    stopTimer();

    if (watched != nullptr)
        watched->removeMouseListener (watcher.get());
}

void HoverTooltipWindow::paint (juce::Graphics& g)
{
    getLookAndFeel().drawTooltip (g, tracker.getTipShowing(), getWidth(), getHeight());
}

void HoverTooltipWindow::mouseEnter (const juce::MouseEvent& event)
{
    // The mouse reached the tip itself: it goes, as the framework's does.
    if (event.eventComponent == this && tracker.hideNow (juce::Time::getMillisecondCounter()) == TooltipTracker::Action::hide)
        setVisible (false);
}

bool HoverTooltipWindow::mayShowTips() const
{
    return juce::Process::isForegroundProcess();
}

void HoverTooltipWindow::wake (bool dismissing)
{
    if (dismissing)
        tracker.dismiss();

    if (! isTimerRunning())
        startTimer (lookPeriodMs);
}

void HoverTooltipWindow::timerCallback()
{
    lookAtMouse();

    if (! tracker.needsAnotherLook())
        stopTimer();
}

void HoverTooltipWindow::lookAtMouse()
{
    const auto source = juce::Desktop::getInstance().getMainMouseSource();
    auto* under = source.isTouch() ? nullptr : source.getComponentUnderMouse();

    // The mouse over another window counts as over nothing of ours.
    if (under != nullptr && under->getPeer() != getPeer())
        under = nullptr;

    TooltipTracker::Look look;
    look.target = under;
    look.tip = under != nullptr ? tipFor (*under) : juce::String();
    look.position = source.getScreenPosition();
    look.pressedHere = source.getLastMouseDownPosition() == look.position;
    look.nowMs = juce::Time::getMillisecondCounter();

    switch (tracker.look (look))
    {
        case TooltipTracker::Action::show:  showTip (tracker.getTipShowing(), look.position); break;
        case TooltipTracker::Action::hide:  setVisible (false); break;
        case TooltipTracker::Action::none:  break;
    }
}

juce::String HoverTooltipWindow::tipFor (juce::Component& component) const
{
    if (! mayShowTips() || juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
        return {};

    if (auto* client = dynamic_cast<juce::TooltipClient*> (&component))
        if (! component.isCurrentlyBlockedByAnotherModalComponent())
            return client->getTooltip();

    return {};
}

void HoverTooltipWindow::showTip (const juce::String& tip, juce::Point<float> screenPosition)
{
    auto* parent = getParentComponent();

    if (parent == nullptr)
        return;

    setBounds (getLookAndFeel().getTooltipBounds (tip, parent->getLocalPoint (nullptr, screenPosition.roundToInt()),
                                                  parent->getLocalBounds()));
    setVisible (true);
    toFront (false);
    repaint();
}
