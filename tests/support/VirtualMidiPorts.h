#pragma once

#include "MidiPortBackend.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace morvane::test
{
/** In-process MIDI ports for tests, in place of the platform's.

    Ports are plugged by name and listed in the order they were plugged; a port that is
    unplugged leaves the lists, and plugging the name again adds a new port at the end, as a
    re-connected USB device would appear. An input or output can be made to fail to open.

    The far side of each port (the device) is reached here: what the program sends to an
    output is handed to that output's receiver on the sending thread; what the device sends
    to an input is delivered to the program's callback from a delivery thread of the hub's own,
    like a driver's thread, in order. The delivery queue is bounded, so a fast sender waits as
    it would on a real link.

    The hub must outlive every backend made from it and every port opened through them.
*/
class VirtualMidiPorts
{
public:
    using Receiver = std::function<void (const juce::MidiMessage&)>;

    VirtualMidiPorts();
    ~VirtualMidiPorts();

    /** A port backend for MidiProcessing or MidiPortManager, on this hub. */
    std::unique_ptr<MidiPortBackend> createBackend();

    //==============================================================================
    /** Adds a port that the program reads from (the device's MIDI out). */
    void plugInput (const juce::String& name);

    /** Adds a port that the program writes to (the device's MIDI in). */
    void plugOutput (const juce::String& name);

    /** Removes the first listed port of that name; a port opened on it goes dead. False when
        none is listed.
    */
    bool unplugInput (const juce::String& name);
    bool unplugOutput (const juce::String& name);

    /** Makes every later open of a port of that name fail, or succeed again. */
    void setInputOpenFails (const juce::String& name, bool shouldFail);
    void setOutputOpenFails (const juce::String& name, bool shouldFail);

    /** How many ports of that name have been opened so far. */
    int getInputOpenCount (const juce::String& name) const;
    int getOutputOpenCount (const juce::String& name) const;

    //==============================================================================
    /** The device side of an output: receives, on the program's sending thread, every message
        sent to a listed output of that name. nullptr removes it; after that returns, the
        receiver is not running and is not called again.
    */
    void setOutputReceiver (const juce::String& outputName, Receiver receiver);

    /** Queues a message from the device for the listed input of that name; the delivery thread
        hands it to the program's callback when that input is open and started. Blocks while the
        queue is full. False when no input of that name is listed.
    */
    bool sendToInput (const juce::String& inputName, const juce::MidiMessage& message);

    /** Waits until every queued message has been delivered or dropped. */
    bool waitUntilDelivered (int timeoutMs);

    /** The most messages that wait for delivery before a sender blocks. */
    static constexpr size_t queueCapacity = 4096;

private:
    class Backend;
    class Input;
    class Output;

    struct Port
    {
        juce::String name;
        juce::String identifier;
    };

    struct OpenInput
    {
        Input* input = nullptr;
        juce::String identifier;
        juce::MidiInputCallback* callback = nullptr;
        bool started = false;
    };

    struct Delivery
    {
        juce::String identifier;
        juce::MidiMessage message;
    };

    void deliveryLoop();
    juce::Array<juce::MidiDeviceInfo> listPorts (bool inputs) const;
    std::unique_ptr<Input> openInput (const juce::MidiDeviceInfo& device, juce::MidiInputCallback& callback);
    std::unique_ptr<Output> openOutput (const juce::MidiDeviceInfo& device);
    void setInputStarted (Input* input, bool started);
    void closeInput (Input* input);
    void sendFromOutput (const juce::String& identifier, const juce::MidiMessage& message);
    juce::String resolve (const std::vector<Port>& ports, const juce::MidiDeviceInfo& device) const;

    // The port lists and open counts.
    mutable std::mutex portsMutex;
    std::vector<Port> inputs, outputs;
    juce::StringArray failingInputs, failingOutputs;
    std::map<juce::String, int> inputOpenCounts, outputOpenCounts;
    int nextIdentifier = 1;

    // The open inputs, and the delivery into their callbacks (held while a callback runs).
    std::mutex callbackMutex;
    std::vector<OpenInput> openInputs;

    // The device-side receivers (held while a receiver runs).
    std::mutex receiverMutex;
    std::map<juce::String, Receiver> receivers;

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Delivery> queue;
    bool delivering = false;
    bool quit = false;
    std::thread deliveryThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VirtualMidiPorts)
};
} // namespace morvane::test
