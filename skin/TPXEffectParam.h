#pragma once

#include <juce_events/juce_events.h>

/** The event code that a skinned widget stores before its asynchronous change message. */
enum TPXEffectParamEvent
{
    tpxEventNone = 0,
    tpxEventActivated = 1,      // label pressed, painted button focused by mouse or Tab
    tpxEventClicked = 2,        // drawable or painted button clicked
    tpxEventSecondaryClick = 3  // painted button: right press or the M key, when enabled
};

/** The event channel and parameter interface of a skinned widget.

    A widget stores an event code with notify() and announces it with an asynchronous change
    message (at most one pending, so two quick notifications give one callback that sees the later
    code). Listeners register with the ChangeBroadcaster and read getEventCode() on the message
    thread. The parameter operations expose a widget's state as a number.
*/
class TPXEffectParam : public virtual juce::ChangeBroadcaster
{
public:
    TPXEffectParam() = default;
    ~TPXEffectParam() override = default;

    /** The widget's state as a number. */
    virtual int getParamState() = 0;
    virtual int getParamAux() = 0;
    virtual float getParamValueFloat() = 0;

    /** Sets the widget's state from a number; the two further arguments are unused here. */
    virtual void setParamState (int value, int aux1, int aux2) = 0;

    /** Redraws the widget after its state changed. */
    virtual void refreshParamDisplay() = 0;

    /** Stores the event code (and an argument of 0), then posts an asynchronous change message
        when anyone listens. Called on the message thread.
    */
    void notify (int eventCode);

    /** The code stored by the last notify(), 0 before any. */
    int getEventCode() const;

    /** The argument stored with the last event; always 0 in this program. */
    int getEventArgument() const;

    /** When set, a painted button raises event 3 on a right press or the M key. */
    void setSecondaryClickEnabled (bool shouldRaise) noexcept { secondaryClickEnabled = shouldRaise; }
    bool isSecondaryClickEnabled() const noexcept { return secondaryClickEnabled; }

private:
    juce::CriticalSection eventLock;
    int eventCode = tpxEventNone;
    int eventArgument = 0;
    bool secondaryClickEnabled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXEffectParam)
};
