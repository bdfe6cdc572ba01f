#pragma once

#include "IncomingMessageLog.h"
#include "MidiPortBackend.h"
#include "TPXMidiInputCallback.h"

#include <functional>
#include <memory>
#include <vector>

/** The link's MIDI input and output ports: the lists of port names, opening a port by (part of)
    its name, the buffer of incoming messages, and sending.

    The message thread opens and closes ports; the link worker sends, takes the incoming
    messages and reopens a vanished port; the driver's thread appends incoming messages. Each
    side's port sits under a lock of its own, so a port is never used while another thread
    replaces or deletes it. The lists hold what the 2000 ms refresh of MidiProcessing found, in
    the platform's order.
*/
class MidiPortManager
{
public:
    /** Uses the backend for every port call; the backend must outlive this object.
        incomingArrived, when given, is called on the driver's thread whenever a message arrives
        in an empty buffer (the link worker uses it to wake up).
    */
    explicit MidiPortManager (MidiPortBackend& backend, std::function<void()> incomingArrived = {});

    /** Closes both ports. */
    ~MidiPortManager();

    //==============================================================================
    /** Lists the ports now present into the stored lists. */
    void refreshDeviceLists();

    void setInputDevices (const juce::Array<juce::MidiDeviceInfo>& devices);
    void setOutputDevices (const juce::Array<juce::MidiDeviceInfo>& devices);

    /** Replace the lists by bare names; such a port is opened by the first present port of
        that name.
    */
    void setInputNames (const juce::StringArray& names);
    void setOutputNames (const juce::StringArray& names);

    juce::StringArray getInputNames() const;
    juce::StringArray getOutputNames() const;

    //==============================================================================
    /** Tries the listed inputs whose name contains text (case-sensitive; an empty text takes
        every port), in list order, and keeps the first that opens. False when none opens. Each
        try closes the port that was open before; with no candidate at all it stays open.
    */
    bool openInputByName (const juce::String& text);
    bool openOutputByName (const juce::String& text);

    /** Closes any open port of that side, then opens and starts the listed port at index.
        False when the index is outside the list or the port does not open.
    */
    bool openInputByIndex (int index);
    bool openOutputByIndex (int index);

    /** Stop (input) and delete the open port of that side and clear its name. True when a port
        was open.
    */
    bool closeInput();
    bool closeOutput();

    /** True, with the listed name of the open port copied into out, when a port is open. */
    bool getInputName (juce::String& out) const;
    bool getOutputName (juce::String& out) const;

    void setInputName (const juce::String& name);
    void setOutputName (const juce::String& name);

    /** False when no port of that side is open; otherwise whether its name is still listed. */
    bool isInputPresent() const;
    bool isOutputPresent() const;

    //==============================================================================
    /** Keeps a copy of an incoming message for the link worker. Called on the driver's thread. */
    void appendIncoming (const juce::MidiMessage& message);

    /** Moves every message received since the last call to the end of out, oldest first.
        Called by the link worker.
    */
    void takeReceived (std::vector<juce::MidiMessage>& out);

    /** The same into a MidiBuffer, each message as one event at sample position 0. */
    void takeReceived (juce::MidiBuffer& out);

    /** The same as ranges of the received bytes, read in place (the link worker's form: a
        reply is kept where it lies instead of being copied again).
    */
    void takeReceived (std::vector<IncomingMessageLog::Range>& out);

    /** Sends the message at once when it is not null and an output is open. */
    void sendMessage (const juce::MidiMessage* message);

private:
    struct Side
    {
        mutable juce::CriticalSection listLock;
        juce::Array<juce::MidiDeviceInfo> devices;

        mutable juce::CriticalSection nameLock;
        juce::String openedName;
    };

    static juce::StringArray namesOf (const Side& side);
    static bool isPresent (const Side& side, bool isOpen);

    /** The name the side's port was opened by, when it is open (the caller holds the side's port lock). */
    static bool readOpenedName (const Side& side, bool isOpen, juce::String& out);
    bool openByName (bool input, const juce::String& text);
    bool openByIndex (bool input, int index);

    /** Closes the open port of that side, then opens and starts the given listed device. */
    bool openInputDevice (const juce::MidiDeviceInfo& device);
    bool openOutputDevice (const juce::MidiDeviceInfo& device);

    MidiPortBackend& backend;
    const std::function<void()> incomingArrived;

    juce::CriticalSection inputLock;    // the input port
    std::unique_ptr<MidiPortBackend::Input> input;
    TPXMidiInputCallback inputCallback;

    juce::CriticalSection receivedLock;
    IncomingMessageLog received;

    juce::CriticalSection outputLock;   // the output port
    std::unique_ptr<MidiPortBackend::Output> output;

    Side inputSide, outputSide;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiPortManager)
};
