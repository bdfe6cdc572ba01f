#pragma once

#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "SimulatedDevice.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"

#include <functional>
#include <memory>

namespace morvane::test
{
/** A MidiProcessing whose worker thread only waits: the test runs receiveAndDispatch and
    checkDevices itself, on the message thread, so that it knows what each pass did.
*/
class SteppedMidiProcessing : public MidiProcessing
{
public:
    using MidiProcessing::MidiProcessing;

    ~SteppedMidiProcessing() override
    {
        stopThread (stopTimeoutMs);
    }

    void run() override
    {
        while (! threadShouldExit())
            wait (50);
    }
};

/** Virtual ports, a simulated device of one model on the port "Zandrel <model>", and a link
    on those ports. Sets currentDeviceModel to the device's model while it exists.
*/
template <typename Link = MidiProcessing>
struct LinkRig
{
    explicit LinkRig (juce::uint8 model)
        : portName ("Zandrel USB " + juce::String (model)),
          device (std::make_unique<SimulatedDevice> (hub, model, portName)),
          link (std::make_unique<Link> (hub.createBackend())),
          previousModel (currentDeviceModel.load())
    {
        currentDeviceModel = model;
    }

    ~LinkRig()
    {
        link.reset();
        device.reset();
        currentDeviceModel = previousModel;
    }

    /** Lists the ports, opens the device's input and output and hands both to the link. */
    bool connect()
    {
        link->timerCallback();
        auto& ports = link->getPortManager();
        return ports.openInputByName (portName) && ports.openOutputByName (portName)
               && link->openDevices (true, true);
    }

    /** Runs the message loop (and, for a stepped link, worker passes) until the condition holds. */
    bool runUntil (const std::function<bool()>& condition, int timeoutMs = 20000)
    {
        return runMessageLoopUntil ([&]
        {
            pass();
            return condition();
        }, timeoutMs);
    }

    bool waitForRetire (const SysExRequest& request, int timeoutMs = 20000)
    {
        return runUntil ([&] { return request.getState() != 0; }, timeoutMs);
    }

    /** Waits until the device has handled all it was sent and its replies reached the link. */
    void settle()
    {
        runMessageLoopUntil ([&] { return device->isIdle(); }, 20000);
        hub.waitUntilDelivered (20000);
    }

    /** The same without running the message loop, so that no timer tick comes in between. */
    void settleQuietly()
    {
        for (int i = 0; i < 20000 && ! device->isIdle(); ++i)
            juce::Thread::sleep (1);

        hub.waitUntilDelivered (20000);
    }

    void pass()
    {
        if constexpr (std::is_same_v<Link, SteppedMidiProcessing>)
            link->receiveAndDispatch();
    }

    VirtualMidiPorts hub;
    const juce::String portName;
    std::unique_ptr<SimulatedDevice> device;
    std::unique_ptr<Link> link;
    const juce::uint8 previousModel;
};

/** A device message without payload for the current device model. */
inline juce::MidiMessage makeQuery (juce::uint8 functionId)
{
    juce::MidiMessage message;
    buildSysExMessage (message, functionId, nullptr, 0, currentDeviceModel.load());
    return message;
}
} // namespace morvane::test
