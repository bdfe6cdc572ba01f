#include "DevicePollWaker.h"

DevicePollWaker::DevicePollWaker (std::function<void()> wakeToUse)
    : wakeCallback (std::move (wakeToUse))
{
}

DevicePollWaker::~DevicePollWaker()
{
    for (auto* component : watched)
        component->removeComponentListener (this);
}

void DevicePollWaker::watch (juce::Component* component)
{
    if (component == nullptr || watched.contains (component))
        return;

    watched.add (component);
    component->addComponentListener (this);
}

void DevicePollWaker::wake()
{
    if (! asleep)
        return;

    asleep = false;

    if (wakeCallback != nullptr)
        wakeCallback();
}

void DevicePollWaker::componentEnablementChanged (juce::Component& component)
{
    if (component.isEnabled())
        wake();
}

void DevicePollWaker::componentVisibilityChanged (juce::Component& component)
{
    if (component.isVisible())
        wake();
}

void DevicePollWaker::componentBeingDeleted (juce::Component& component)
{
    watched.removeFirstMatchingValue (&component);
}
