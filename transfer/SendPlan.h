#pragma once

#include "PayloadKind.h"
#include "SysExDecoders.h"

#include <juce_core/juce_core.h>

#include <vector>

/** What each device family does with a file before it is sent: whether the send options must be
    confirmed first, which conversion and destination rewrite the bytes get, whether the device
    is muted, which lead-in and reply rules the sender uses, and the status line.

    The console (or a test) asks gateFor when Transmit is pressed, runs the send options when it
    says so, then asks prepare for the bytes and settings of the send. Needs no window.
*/
class SendPlan
{
public:
    /** Whether a kind is sent on this device, and whether the send options come first. */
    enum class Gate
    {
        notSent,
        direct,
        optionsFirst
    };

    static Gate gateFor (int deviceModel, PayloadKind kind, juce::uint32 firmwareMajor) noexcept;

    /** What the connected device told the queries. */
    struct Device
    {
        int model = 0;
        FirmwareVersionRecord version;
        SystemInfoRecord systemInfo;
    };

    /** The destination chosen in the send options. */
    struct Choices
    {
        int destinationSlot = -1;      ///< 1-based preset or cab number; 127 the edit buffer / current slot
        int destinationBank = -1;      ///< 0-based bank from the destination menu
        int destinationMode = 0;       ///< cab: 2 a user location, 1 a scratchpad, 0 the current slot
        bool destinationChosen = false;
        int userBankIndex = -1;        ///< Orvix III cab: the user bank list's index, -1 without the list
        int userSlotValue = 1;         ///< Orvix III cab: the user location's 1-based number
    };

    /** The send to start, or why there is none. */
    struct Result
    {
        bool send = false;
        juce::MemoryBlock data;
        bool preMessage = false;
        bool muteFirst = false;
        bool noReplyMode = false;
        bool usbFirmware = false;      ///< the Orvix III USB firmware, which is retried when it ends too soon
        std::vector<int> acceptedResultCodes;
        juce::String status { "Transferring sysex..." };
        juce::String errorText;        ///< shown with the warning icon when nothing is sent
    };

    /** The file's model (byte 4) when it starts with the maker's header, else fallback. */
    static juce::uint8 fileModelOf (const juce::MemoryBlock& data, juce::uint8 fallback) noexcept;

    /** Prepares the send of the loaded file of this kind on the device. */
    static Result prepare (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices);

    /** The cab bank into the chosen bank: each cab converted for its slot. Nothing is sent when
        any cab fails or the bank has no room for all of them.
    */
    static Result prepareCabBank (const juce::MemoryBlock& loaded, const Device& device, const Choices& choices);

    static constexpr const char* conversionErrorText = "An error was encountered while converting preset format.";
    static constexpr const char* cabErrorText = "An error occurred while processing the IR.";
    static constexpr const char* cabBankErrorText = "An error occurred while processing the cab bank.";
    static constexpr const char* truncatedFileText = "The selected file is incomplete and cannot be sent.\n\nPlease choose a different file.";
    static constexpr const char* cabBankTooLargeText = "The cab bank holds more cabs than the chosen bank has room for.\n\nPlease choose a different file.";
    static constexpr const char* fpgaTooOldText = "Updating the FPGA is not supported.  Firmware version 14.03 or later is required.";

private:
    static Result prepareOrvixII (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices);
    static Result prepareOrvixIII (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices);
    static Result prepareKT4 (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices);
    static Result prepareLM6 (const juce::MemoryBlock& loaded, PayloadKind kind, const Device& device, const Choices& choices);
    static Result prepareCab (const juce::MemoryBlock& loaded, juce::uint32 slot, const Device& device, const Choices& choices);
};
