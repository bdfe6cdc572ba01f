#pragma once

#include "VirtualMidiPorts.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace morvane::test
{
/** A Zandrel Audio device of a given model (2, 3, 4, 5, 6, 7, 8, 10 or 16) on virtual ports.

    It plugs an input and an output of its port name into the hub, records every message the
    program sends it, and answers from its own thread, never through the message thread:
    - the firmware version (0x08) and system information (0x47) queries, the patch number
      (0x14) and config (0x35) queries;
    - the dump requests with the number of replies the link expects of this model: preset
      (0x03), cab (0x19), bank (0x1C), cab bank (0x44), and the dumps whose start message
      announces their length: get-all-params (0x1F), system data (0x43), patch plus cabs (0x46),
      the multi-message dumps (0x01, 0x12, 0x2B) and, on model 16, the grid (0x20); its cabs
      are named "Cab <n>" and read as a device's do (CABIR_END holds the XOR of the words);
    - every other message of the maker's with a status reply (0x64) that echoes its function,
      result code 0 unless set for that message (a bad checksum gets code 1). These are the
      "paced" messages, counted from 1.
    Other makers' SysEx and non-SysEx messages are recorded and not answered.

    Adding a request type is one call of setReplyHandler (or one row in the constructor's table):
    a handler gets the request and emits the replies one by one.

    Faults: silence (from the start or after a number of reply messages), a delay before each
    answer, a result code for the n-th paced message, bad checksums in replies, unsolicited
    messages (once, or after every k replies), unplugging and re-plugging its ports.
*/
class SimulatedDevice
{
public:
    /** Sends one reply; returns false when the device stops answering (silenced or shut). */
    using Emit = std::function<bool (const juce::MidiMessage&)>;

    /** Answers a request by emitting its replies in order. */
    using ReplyHandler = std::function<void (const juce::MidiMessage& request, const Emit& emit)>;

    /** Answers a request with a list of replies (for dumps built elsewhere). */
    using ReplyGenerator = std::function<std::vector<juce::MidiMessage> (const juce::MidiMessage& request)>;

    /** Plugs the input and output named portName into the hub and starts answering. */
    SimulatedDevice (VirtualMidiPorts& ports, juce::uint8 model, const juce::String& portName);

    /** Stops answering and leaves the ports plugged. */
    ~SimulatedDevice();

    juce::uint8 getModel() const noexcept { return model; }
    const juce::String& getPortName() const noexcept { return portName; }

    //==============================================================================
    /** Replaces how the device answers requests of one function; nullptr restores the built-in
        answer (or none, for a function without one: then it gets a status reply).
    */
    void setReplyHandler (juce::uint8 functionId, ReplyHandler handler);
    void setReplyGenerator (juce::uint8 functionId, ReplyGenerator generator);

    /** Answers every message that no handler answers (the paced messages) in place of the
        built-in status reply; nullptr restores it.
    */
    void setPacedHandler (ReplyHandler handler);

    void setFirmwareVersion (int major, int minor);
    void setSystemInfo (int field0, int field1, int field2, int field3);

    //==============================================================================
    // Faults

    /** With true the device answers nothing. */
    void setSilent (bool shouldBeSilent);

    /** The device falls silent once it has sent this many reply messages (counted from now);
        a negative number lifts the limit.
    */
    void setSilentAfterReplies (int replies);

    /** Waits this long before answering each request. */
    void setReplyDelayMs (int ms);

    /** The status reply to the n-th paced message (from 1) carries this result code. */
    void setResultCodeForMessage (int n, juce::uint8 resultCode);

    /** With true every reply carries a wrong checksum. */
    void setBadChecksums (bool shouldCorrupt);

    /** Sends a message of the device's own accord, in order with its replies. */
    void sendUnsolicited (const juce::MidiMessage& message);

    /** After every k reply messages, also sends this message; k = 0 stops it. */
    void setUnsolicitedEvery (int k, const juce::MidiMessage& message);

    /** Takes the device's input and output away from the hub, or plugs them in again. */
    void unplug();
    void replug();

    //==============================================================================
    // Messages the device sends

    /** A message of this device: header with its model, payload, checksum, F7. */
    juce::MidiMessage makeMessage (juce::uint8 functionId, const std::vector<juce::uint8>& payload) const;
    static juce::MidiMessage makeMessage (juce::uint8 model, juce::uint8 functionId,
                                          const std::vector<juce::uint8>& payload);

    juce::MidiMessage makeTunerMessage() const;          // SYSEX_TUNER, 0x0D
    juce::MidiMessage makeTempoMessage() const;          // SYSEX_TEMPO, 0x10
    juce::MidiMessage makeStatusReply (juce::uint8 functionId, juce::uint8 resultCode) const;
    static juce::MidiMessage makeOtherMakersSysEx();     // a universal identity reply

    /** The messages that the built-in answer to a request would send (no faults applied). */
    std::vector<juce::MidiMessage> defaultRepliesTo (const juce::MidiMessage& request) const;

    /** Called with every message the program sends to the device, on the program's sending
        thread, as the port hands it over and before the device takes it up; nullptr for none.
        Set it while nothing is sent.
    */
    void setArrivalObserver (std::function<void (const juce::MidiMessage&)> observer);

    //==============================================================================
    // What happened

    std::vector<juce::MidiMessage> getReceived() const;
    int getReceivedCount() const;

    /** Received messages of the maker's with this function id. */
    int getReceivedCount (juce::uint8 functionId) const;

    /** Reply messages sent (replies, status replies and unsolicited ones). */
    int getSentCount() const noexcept { return sentCount.load(); }

    /** Paced messages answered with a status reply so far. */
    int getPacedMessageCount() const noexcept { return pacedCount.load(); }

    /** Requests and unsolicited messages not yet handled. */
    bool isIdle() const;

private:
    struct Work
    {
        bool isRequest = true;
        juce::MidiMessage message;
    };

    void run();
    void answer (const juce::MidiMessage& request);
    bool emit (const juce::MidiMessage& reply);
    bool waitFor (int ms);
    ReplyHandler findHandler (juce::uint8 functionId) const;
    void addBuiltInHandlers();

    // The built-in answers.
    // Each returns false once the device stops answering.
    bool emitPresetDump (const Emit& out, int presetNumber) const;
    bool emitCabDump (const Emit& out, int cabNumber) const;
    bool emitSeries (const Emit& out, juce::uint8 startFunction, const std::vector<juce::uint8>& startPayload,
                     juce::uint8 dataFunction, int dataMessages, int dataBytes, juce::uint8 endFunction) const;

    VirtualMidiPorts& ports;
    const juce::uint8 model;
    const juce::String portName;

    mutable std::mutex handlerMutex;
    std::map<juce::uint8, ReplyHandler> builtInHandlers, customHandlers;
    ReplyHandler pacedHandler;
    int firmwareMajor = 9, firmwareMinor = 0;
    int systemInfo[4] = { 1, 0, 128, 0 };

    mutable std::mutex faultMutex;
    bool silent = false;
    int repliesBeforeSilence = -1;
    int replyDelayMs = 0;
    std::map<int, juce::uint8> resultCodes;
    bool badChecksums = false;
    int unsolicitedEvery = 0;
    juce::MidiMessage periodicUnsolicited;

    mutable std::mutex recordMutex;
    std::vector<juce::MidiMessage> received;
    std::function<void (const juce::MidiMessage&)> arrivalObserver;

    std::atomic<int> sentCount { 0 };
    std::atomic<int> pacedCount { 0 };

    mutable std::mutex workMutex;
    std::condition_variable workChanged;
    std::deque<Work> work;
    bool busy = false;
    bool quit = false;
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedDevice)
};
} // namespace morvane::test
