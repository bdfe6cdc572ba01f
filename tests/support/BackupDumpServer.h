#pragma once

#include "SimulatedDevice.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace morvane::test
{
/** Makes a SimulatedDevice serve every backup request of its model, with the message counts the
    link expects and data messages of a size the test sets (small ones keep big dumps quick):
    - preset dumps (0x03): a named preset that the converters can read ("Preset <n>", or a name set
      for that preset number), except the Orvix III bank steps (third field 0), which get small
      messages like the banks;
    - cab dumps (0x19): a real cab impulse response named "Cab <n>" (or a name set for that cab);
    - cab bank (0x44) dumps: such cabs, one after the other, that read as a device's do;
    - bank (0x1C) dumps: presets of small messages, 34 / 66 / 18 per preset;
    - system data (0x43): a start message that announces the data messages, which may announce
      too few or too many, or a status reply that refuses the dump;
    - the current patch (0x14) with the fields set, and the recall (0x3C), acknowledged.
    Get-all-params (0x1F) and the Orvix III grid (0x20) keep the device's built-in answers.

    It records the replies it sent to each request, so that a test can compare a file with what
    the device sent; it can leave chosen requests unanswered and hold the answer to one request
    back until the test releases it.
*/
class BackupDumpServer
{
public:
    /** Installs the answers on the device; the device must outlive the server. */
    explicit BackupDumpServer (SimulatedDevice& device, int dataBytes = 8);
    ~BackupDumpServer();

    /** A name for the preset dumped under this number, or for the cab in this slot. */
    void setPresetName (int presetNumber, const juce::String& name);
    void setCabName (int cab, const juce::String& name);

    /** System data: sends this many data messages and announces that many plus delta. */
    void setSystemDataMessages (int count, int announcedDelta = 0);

    /** Answers system dumps with a status reply of this result code (0 sends the data). */
    void setSystemRefusal (juce::uint8 resultCode);

    /** The current patch query's reply; with answer false the query gets no reply. */
    void setCurrentPatch (int first, int second, bool answer = true);

    /** Leaves the n-th dump request (counted from 1 over every request this server answers)
        without any reply.
    */
    void dropRequest (int n);

    /** Holds the reply to the n-th dump request until release() (or the server's end). */
    void holdRequest (int n);
    void release();

    /** Waits until this many dump requests have arrived. */
    bool waitForRequests (int count, int timeoutMs = 30000) const;

    /** What was answered: each dump request with the bytes of its replies, in order. */
    struct Exchange
    {
        juce::MidiMessage request;
        juce::MemoryBlock replies;
        double arrivedMs = 0.0;     ///< juce::Time::getMillisecondCounterHiRes when it arrived
        double answeredMs = 0.0;    ///< ... and when its last reply had been sent
    };

    /** Waits (up to a few seconds) for an answer still going out, so that a run that has just
        read its last reply finds that answer recorded too.
    */
    std::vector<Exchange> getExchanges() const;

    /** Forgets the recorded exchanges (long runs keep only their timing). */
    void setRecordReplies (bool shouldRecord);

    /** The dump requests answered so far. */
    int getRequestCount() const;

private:
    struct Presence;

    SimulatedDevice::ReplyHandler whileHere (SimulatedDevice::ReplyHandler handler);
    void install();
    void answer (const juce::MidiMessage& request, const SimulatedDevice::Emit& out);
    std::vector<juce::MidiMessage> repliesTo (const juce::MidiMessage& request) const;
    std::vector<juce::MidiMessage> smallPreset (int number) const;
    std::vector<juce::MidiMessage> namedPreset (int number) const;
    std::vector<juce::MidiMessage> namedCab (int cab) const;

    SimulatedDevice& device;
    const juce::uint8 model;
    const int dataBytes;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::map<int, juce::String> presetNames, cabNames;
    int systemMessages = 4, systemDelta = 0;
    juce::uint8 systemRefusal = 0;
    int patchFirst = 0, patchSecond = 0;
    bool answerPatch = true;
    std::set<int> dropped;
    int heldRequest = 0;
    bool released = false;
    bool closing = false;
    bool recordReplies = true;
    std::vector<Exchange> exchanges;
    int requestCount = 0;
    int answersGoingOut = 0;
    std::shared_ptr<Presence> presence;
};
} // namespace morvane::test
