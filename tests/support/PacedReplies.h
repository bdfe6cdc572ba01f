#pragma once

#include "SimulatedDevice.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace morvane::test
{
/** Makes a SimulatedDevice answer the messages of a send as a device does: a status reply
    (0x64) for each, echoing its function, with result code 0, code 5 for a function the device
    does not take in a send, code 3 for a message that carries another model's byte, or a code
    set for the n-th message (counted from 1 as the device receives them).

    Each answer can wait first, on the link's clock (LinkClock::now), so that time-out tests move
    a manual clock instead of sleeping; and each can be malformed on demand.

    The decoders below read what the device received, without the codec under test.
*/
class PacedReplies
{
public:
    /** How the answer to one message goes wrong. */
    enum class Fault
    {
        none,
        silent,          ///< no answer
        wrongFunction,   ///< the status reply echoes another function
        badChecksum,
        tooShort,        ///< 7 bytes: header, one byte, F7
        noF7,            ///< the last byte is not F7
        duplicate,       ///< the status reply twice
        foreignFirst     ///< another maker's SysEx, then the status reply
    };

    explicit PacedReplies (SimulatedDevice& device);

    /** An answer still waiting on the clock gives up. */
    ~PacedReplies();

    /** Every message (n = 0) or the n-th gets this result code. */
    void setResultCode (int n, juce::uint8 code);

    /** The answer to every message (n = 0) or the n-th waits this long on the link's clock. */
    void setDelayMs (int n, juce::uint32 ms);

    void setFault (int n, Fault fault);

    /** True while an answer waits for the link's clock. */
    bool isWaitingOnClock() const noexcept { return state->waiting.load(); }

    /** Messages answered (or left unanswered on purpose) so far. */
    int getMessageCount() const noexcept { return state->count.load(); }

    //==============================================================================
    /** The received messages of the maker's with this function, in order. */
    static std::vector<juce::MidiMessage> messagesOf (const std::vector<juce::MidiMessage>& received, juce::uint8 functionId);

    /** Every message of the maker's that is not a short query or command (the send itself). */
    static std::vector<juce::MidiMessage> sentFile (const std::vector<juce::MidiMessage>& received);

    /** The PATCH_STARTs received: model, byte 6, byte 7, and whether the checksum holds. */
    struct PatchStart
    {
        int model, byte6, byte7;
        bool checksumOk;
    };

    static std::vector<PatchStart> patchStarts (const std::vector<juce::MidiMessage>& received);

    /** The cabs received: the slot of each CABIR_START and whether its whole dump (words and
        CABIR_END checksum) reads back.
    */
    struct Cab
    {
        int slot = -1;
        bool wellFormed = false;
        juce::String name;
    };

    static std::vector<Cab> cabs (const std::vector<juce::MidiMessage>& received);

    /** Program Changes to program 0 on channel 1. */
    static int programChanges (const std::vector<juce::MidiMessage>& received);

private:
    struct State
    {
        std::mutex lock;
        std::map<int, juce::uint8> codes;
        std::map<int, juce::uint32> delays;
        std::map<int, Fault> faults;
        std::atomic<int> count { 0 };
        std::atomic<bool> waiting { false }, stop { false };
    };

    std::shared_ptr<State> state = std::make_shared<State>();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PacedReplies)
};
} // namespace morvane::test
