#include "VirtualMidiPorts.h"

#include <chrono>

namespace morvane::test
{
class VirtualMidiPorts::Input : public MidiPortBackend::Input
{
public:
    explicit Input (VirtualMidiPorts& hubToUse) : hub (hubToUse) {}
    ~Input() override { hub.closeInput (this); }

    void start() override { hub.setInputStarted (this, true); }
    void stop() override  { hub.setInputStarted (this, false); }

private:
    VirtualMidiPorts& hub;
};

class VirtualMidiPorts::Output : public MidiPortBackend::Output
{
public:
    Output (VirtualMidiPorts& hubToUse, const juce::String& identifierToUse)
        : hub (hubToUse), identifier (identifierToUse)
    {
    }

    void sendMessageNow (const juce::MidiMessage& message) override
    {
        hub.sendFromOutput (identifier, message);
    }

private:
    VirtualMidiPorts& hub;
    const juce::String identifier;
};

class VirtualMidiPorts::Backend : public MidiPortBackend
{
public:
    explicit Backend (VirtualMidiPorts& hubToUse) : hub (hubToUse) {}

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override  { return hub.listPorts (true); }
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return hub.listPorts (false); }

    std::unique_ptr<MidiPortBackend::Input> openInput (const juce::MidiDeviceInfo& device,
                                                       juce::MidiInputCallback& callback) override
    {
        return hub.openInput (device, callback);
    }

    std::unique_ptr<MidiPortBackend::Output> openOutput (const juce::MidiDeviceInfo& device) override
    {
        return hub.openOutput (device);
    }

private:
    VirtualMidiPorts& hub;
};

//==============================================================================
VirtualMidiPorts::VirtualMidiPorts()
{
    deliveryThread = std::thread ([this] { deliveryLoop(); });
}

VirtualMidiPorts::~VirtualMidiPorts()
{
    {
        const std::lock_guard<std::mutex> lock (queueMutex);
        quit = true;
    }

    queueChanged.notify_all();
    deliveryThread.join();
}

std::unique_ptr<MidiPortBackend> VirtualMidiPorts::createBackend()
{
    return std::make_unique<Backend> (*this);
}

//==============================================================================
void VirtualMidiPorts::plugInput (const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    inputs.push_back ({ name, "in-" + juce::String (nextIdentifier++) });
}

void VirtualMidiPorts::plugOutput (const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    outputs.push_back ({ name, "out-" + juce::String (nextIdentifier++) });
}

bool VirtualMidiPorts::unplugInput (const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (portsMutex);

    for (auto it = inputs.begin(); it != inputs.end(); ++it)
    {
        if (it->name == name)
        {
            inputs.erase (it);
            return true;
        }
    }

    return false;
}

bool VirtualMidiPorts::unplugOutput (const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (portsMutex);

    for (auto it = outputs.begin(); it != outputs.end(); ++it)
    {
        if (it->name == name)
        {
            outputs.erase (it);
            return true;
        }
    }

    return false;
}

void VirtualMidiPorts::setInputOpenFails (const juce::String& name, bool shouldFail)
{
    const std::lock_guard<std::mutex> lock (portsMutex);

    if (shouldFail)
        failingInputs.addIfNotAlreadyThere (name);
    else
        failingInputs.removeString (name);
}

void VirtualMidiPorts::setOutputOpenFails (const juce::String& name, bool shouldFail)
{
    const std::lock_guard<std::mutex> lock (portsMutex);

    if (shouldFail)
        failingOutputs.addIfNotAlreadyThere (name);
    else
        failingOutputs.removeString (name);
}

int VirtualMidiPorts::getInputOpenCount (const juce::String& name) const
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    const auto found = inputOpenCounts.find (name);
    return found != inputOpenCounts.end() ? found->second : 0;
}

int VirtualMidiPorts::getOutputOpenCount (const juce::String& name) const
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    const auto found = outputOpenCounts.find (name);
    return found != outputOpenCounts.end() ? found->second : 0;
}

//==============================================================================
juce::Array<juce::MidiDeviceInfo> VirtualMidiPorts::listPorts (bool listInputs) const
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    juce::Array<juce::MidiDeviceInfo> devices;

    for (const auto& port : listInputs ? inputs : outputs)
        devices.add (juce::MidiDeviceInfo (port.name, port.identifier));

    return devices;
}

juce::String VirtualMidiPorts::resolve (const std::vector<Port>& ports, const juce::MidiDeviceInfo& device) const
{
    for (const auto& port : ports)
        if (device.identifier.isNotEmpty() ? port.identifier == device.identifier : port.name == device.name)
            return port.identifier;

    return {};
}

std::unique_ptr<VirtualMidiPorts::Input> VirtualMidiPorts::openInput (const juce::MidiDeviceInfo& device,
                                                                      juce::MidiInputCallback& callback)
{
    juce::String identifier;

    {
        const std::lock_guard<std::mutex> lock (portsMutex);
        identifier = resolve (inputs, device);

        if (identifier.isEmpty() || failingInputs.contains (device.name))
            return {};

        ++inputOpenCounts[device.name];
    }

    auto input = std::make_unique<Input> (*this);
    const std::lock_guard<std::mutex> lock (callbackMutex);
    openInputs.push_back ({ input.get(), identifier, &callback, false });
    return input;
}

std::unique_ptr<VirtualMidiPorts::Output> VirtualMidiPorts::openOutput (const juce::MidiDeviceInfo& device)
{
    const std::lock_guard<std::mutex> lock (portsMutex);
    const auto identifier = resolve (outputs, device);

    if (identifier.isEmpty() || failingOutputs.contains (device.name))
        return {};

    ++outputOpenCounts[device.name];
    return std::make_unique<Output> (*this, identifier);
}

void VirtualMidiPorts::setInputStarted (Input* input, bool started)
{
    // Taking the lock waits for a callback in progress, so after stop none runs.
    const std::lock_guard<std::mutex> lock (callbackMutex);

    for (auto& open : openInputs)
        if (open.input == input)
            open.started = started;
}

void VirtualMidiPorts::closeInput (Input* input)
{
    const std::lock_guard<std::mutex> lock (callbackMutex);
    openInputs.erase (std::remove_if (openInputs.begin(), openInputs.end(),
                                      [input] (const OpenInput& open) { return open.input == input; }),
                      openInputs.end());
}

//==============================================================================
void VirtualMidiPorts::setOutputReceiver (const juce::String& outputName, Receiver receiver)
{
    const std::lock_guard<std::mutex> lock (receiverMutex);

    if (receiver != nullptr)
        receivers[outputName] = std::move (receiver);
    else
        receivers.erase (outputName);
}

void VirtualMidiPorts::sendFromOutput (const juce::String& identifier, const juce::MidiMessage& message)
{
    juce::String name;

    {
        const std::lock_guard<std::mutex> lock (portsMutex);

        for (const auto& port : outputs)
            if (port.identifier == identifier)
                name = port.name;
    }

    if (name.isEmpty())
        return; // unplugged: the message goes nowhere

    const std::lock_guard<std::mutex> lock (receiverMutex);
    const auto found = receivers.find (name);

    if (found != receivers.end())
        found->second (message);
}

bool VirtualMidiPorts::sendToInput (const juce::String& inputName, const juce::MidiMessage& message)
{
    juce::String identifier;

    {
        const std::lock_guard<std::mutex> lock (portsMutex);

        for (const auto& port : inputs)
        {
            if (port.name == inputName)
            {
                identifier = port.identifier;
                break;
            }
        }
    }

    if (identifier.isEmpty())
        return false;

    std::unique_lock<std::mutex> lock (queueMutex);
    queueChanged.wait (lock, [this] { return quit || queue.size() < queueCapacity; });

    if (quit)
        return false;

    const bool wasEmpty = queue.empty();
    queue.push_back ({ identifier, message });
    lock.unlock();

    if (wasEmpty)
        queueChanged.notify_all();

    return true;
}

bool VirtualMidiPorts::waitUntilDelivered (int timeoutMs)
{
    std::unique_lock<std::mutex> lock (queueMutex);
    return queueChanged.wait_for (lock, std::chrono::milliseconds (timeoutMs),
                                  [this] { return queue.empty() && ! delivering; });
}

void VirtualMidiPorts::deliveryLoop()
{
    std::unique_lock<std::mutex> lock (queueMutex);
    std::deque<Delivery> batch;

    for (;;)
    {
        queueChanged.wait (lock, [this] { return quit || ! queue.empty(); });

        if (quit)
            return;

        // Take everything queued at once, as a driver hands over a burst.
        batch.swap (queue);
        delivering = true;
        lock.unlock();
        queueChanged.notify_all();

        {
            const std::lock_guard<std::mutex> callbackLock (callbackMutex);

            for (const auto& delivery : batch)
                for (auto& open : openInputs)
                    if (open.started && open.identifier == delivery.identifier)
                        open.callback->handleIncomingMidiMessage (nullptr, delivery.message);
        }

        batch.clear();
        lock.lock();
        delivering = false;

        if (queue.empty())
            queueChanged.notify_all();
    }
}
} // namespace morvane::test
