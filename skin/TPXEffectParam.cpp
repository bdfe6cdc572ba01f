#include "TPXEffectParam.h"

void TPXEffectParam::notify (int code)
{
    {
        const juce::ScopedLock sl (eventLock);
        eventCode = code;
        eventArgument = 0;
    }

    // The broadcaster posts nothing while it has no listeners.
    sendChangeMessage();
}

int TPXEffectParam::getEventCode() const
{
    const juce::ScopedLock sl (eventLock);
    return eventCode;
}

int TPXEffectParam::getEventArgument() const
{
    const juce::ScopedLock sl (eventLock);
    return eventArgument;
}
