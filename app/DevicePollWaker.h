#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** Lets the console's device poll sleep while there is nothing to poll, and wakes it again.

    While the link watches no port, the poll can only find the device not connected: after one
    such poll has hidden the connection's labels and disabled the controls that need a device,
    it would do the same every 750 ms. So the console lets it sleep then, and wakes it when
    something changes what the poll would undo or find: a port chosen, opened or given up, or one
    of the watched components (the controls and labels that the poll turns off) enabled or shown
    again. A poll stopped for a transfer or a backup is not asleep, and nothing wakes it.
*/
class DevicePollWaker : private juce::ComponentListener
{
public:
    /** wakeToUse restarts the poll; it is called on the message thread. */
    explicit DevicePollWaker (std::function<void()> wakeToUse);
    ~DevicePollWaker() override;

    /** Watches the component (if not null) for being enabled or shown again. */
    void watch (juce::Component* component);

    /** The poll stopped because there is nothing to poll. */
    void sleep() noexcept { asleep = true; }

    /** The poll was started or stopped for another reason: it is no longer asleep. */
    void forget() noexcept { asleep = false; }

    bool isAsleep() const noexcept { return asleep; }

    /** Something changed that the poll must look at: a sleeping poll starts again. */
    void wake();

private:
    void componentEnablementChanged (juce::Component&) override;
    void componentVisibilityChanged (juce::Component&) override;
    void componentBeingDeleted (juce::Component&) override;

    std::function<void()> wakeCallback;
    juce::Array<juce::Component*> watched;
    bool asleep = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DevicePollWaker)
};
