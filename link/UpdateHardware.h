#pragma once

#include "PayloadKind.h"
#include "SysExMultiMsgTimer.h"

#include <juce_core/juce_core.h>

#include <atomic>

/** Prepares and starts the paced transfer of one file to the device.

    The console creates one per send on the message thread and starts it at once. The thread
    chooses the lead-in message and the reply time-outs by the file's PayloadKind, loads the data
    into the link's SysExMultiMsgTimer and starts it, then ends; the timer sends the messages.

    The console follows the transfer through getTransferState and getProgress, which belong to
    this send from the moment the object exists: running (and progress 0) until the timer has
    been started, the timer's own state and progress from then on, and requestFailed when the
    data could not be loaded or the timer would not start. So an earlier transfer's end state is
    never read as this send's result.
*/
class UpdateHardware : public juce::Thread
{
public:
    /** What a payload kind asks of the timer. */
    struct KindSettings
    {
        juce::uint8 leadInFunction = 0;         // the message sent before the file's, 0 for none
        juce::uint32 replyTimeoutMs = 3000;     // each message's reply time-out
        juce::uint8 longTimeoutFunction = 0;    // the function that waits longReplyTimeoutMs, 0 for none
    };

    static constexpr juce::uint8 fwUpdateFunction = 0x25;           // SYSEX_FW_UPDATE
    static constexpr juce::uint8 fpgaUpdateFunction = 0x26;         // SYSEX_FPGA_UPDATE
    static constexpr juce::uint8 fwUpdateEndFunction = 0x7F;        // SYSEX_FW_UPDATE_END
    static constexpr juce::uint8 microUpdateEndFunction = 0x6F;     // SYSEX_MICRO_UPDATE_END
    static constexpr juce::uint32 longReplyTimeoutMs = 60000;

    /** The lead-in and time-outs of a kind. The lead-in is asked for by the caller's flag:
        SYSEX_FW_UPDATE for the Orvix II, LM6 and KT4 firmware, SYSEX_FPGA_UPDATE for an FPGA image,
        none for any other kind. Replies wait 9000 ms for an Orvix II XL system file, 15000 ms for
        an LM6 system file and 3000 ms otherwise; the final message of an Orvix III firmware or USB
        firmware waits 60000 ms.
    */
    static KindSettings getKindSettings (PayloadKind kind, bool leadIn) noexcept;

    /** Stores the transfer; nothing is sent until the thread runs.

        @param timer        the link's paced sender; must outlive this object
        @param data         the file's bytes, owned by the caller and unchanged until the transfer ends
        @param size         their number
        @param model        the model byte the messages carry (254 any of the maker's, 255 any SysEx)
        @param intervalMs   the pause between messages, 0 to 1000
        @param leadIn       true when the kind's lead-in message is to be sent first
        @param kind         the file's PayloadKind
    */
    UpdateHardware (SysExMultiMsgTimer* timer,
                    const juce::uint8* data,
                    juce::uint32 size,
                    juce::uint8 model,
                    juce::uint32 intervalMs,
                    bool leadIn,
                    PayloadKind kind);

    /** Waits for the thread, which never takes longer than loading the data. */
    ~UpdateHardware() override;

    /** Sets the timer up for the kind, loads the data and starts the timer; returns once the
        transfer has been started or has failed to load.
    */
    void run() override;

    /** This send's TransferState: running until the timer has been started, requestFailed when
        it could not be, else the timer's state. Any thread.
    */
    TransferState getTransferState() const;

    /** This send's progress: 0 until the timer has been started, then the timer's. Any thread. */
    double getProgress() const;

    static constexpr int stopTimeoutMs = 10000;

private:
    enum class Phase
    {
        preparing,
        started,
        failed
    };

    SysExMultiMsgTimer* const timer;
    const juce::uint8* const data;
    const juce::uint32 size;
    const juce::uint8 model;
    const juce::uint32 interval;
    const bool leadIn;
    const PayloadKind kind;
    std::atomic<Phase> phase { Phase::preparing };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateHardware)
};
