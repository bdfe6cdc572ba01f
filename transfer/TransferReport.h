#pragma once

#include "PayloadKind.h"
#include "TransferView.h"

#include <juce_core/juce_core.h>

/** The words in which the console reports how a send ended, by the device model and the file's
    PayloadKind: success, cancel, the device's error code and no response, and the step that
    follows a firmware send. Needs no window.
*/
struct TransferReport
{
    static constexpr const char* completionText = "Transfer complete!  ";
    static constexpr const char* errorText = "An error has occurred during file transmission.  ";
    static constexpr const char* cancelText = "File transmission has been canceled.\n";
    static constexpr const char* lostCommunicationText = "Morvane has lost communication with the device.  "
                                                         "Please make sure the device is powered on and connected to the computer.";
    static constexpr const char* usbFirmwareFailedText = "The Orvix III USB firmware failed to download.\n"
                                                         "Please reboot the device and try again.";

    /** The model's display name: the model table's for 2-8, 10 and 16, "Utility" for 255, "Other". */
    static juce::String deviceName (int model);

    /** What a successful send leads to. */
    enum class SuccessStep
    {
        message,          ///< show successText
        firmwareNotice,   ///< wait for the device, then the firmware notice (noticeDelayMs)
        usbRetryCheck,    ///< the Orvix III USB firmware: check how long the device took
        nothing           ///< no message at all
    };

    static SuccessStep successStepFor (int model, PayloadKind kind) noexcept;

    /** The delay before the firmware notice after a firmware send. */
    static int firmwareNoticeDelayMs (PayloadKind kind) noexcept;

    /** The text shown when a send ended well (for SuccessStep::message). */
    static juce::String successText (int model, PayloadKind kind);

    /** The box of a send the user cancelled: the cancel text, how far the send got and what that
        means for the device's data, then the model's own advice.
    */
    static juce::String canceledText (int model, PayloadKind kind, double progress);
    static juce::String deviceErrorText (int model, PayloadKind kind, juce::uint32 code);
    static juce::String noResponseText (int model);

    /** The box of a send whose device went away while it ran: the lost-communication text, how
        far the send got and what that means for the device's data.
    */
    static juce::String lostDuringSendText (double progress);

    /** The line that stays under the bar once a send has ended, saying how it ended. */
    enum class Ending
    {
        succeeded,
        canceled,
        failed,
        noResponse,
        lost,
        usbFirmwareFailed
    };

    /** The line of an ending; a send that stopped part way says where, as the bar shows it. */
    static juce::String endLine (Ending ending, double progress = 0.0);

    /** The ending the page shows for a send that ended so, having got as far as progress. */
    static TransferEnding endingOf (Ending ending, double progress);

    /** The whole percent the page shows for a share of work done: the floor of fraction * 100,
        and 99 at most until the work is complete, when it is 100. A share outside 0..1 is held
        to it.
    */
    static int shownPercent (double fraction, bool complete) noexcept;

    /** The whole percent of a send that did not finish, as the bar showed it (0 to 99). */
    static int stoppedAtPercent (double progress) noexcept { return shownPercent (progress, false); }

    /** Whether a KT4 is to be unmuted after this send. */
    static bool unmutesAfterwards (int currentModel, PayloadKind kind) noexcept;

    /** An Orvix II family bank or all banks: a Program Change 0 follows the send. */
    static bool sendsProgramChangeAfterwards (PayloadKind kind) noexcept;

    /** The Orvix III USB firmware was taken when the device took longer than this. */
    static constexpr juce::uint32 usbFirmwareMinimumMs = 2500;
    static constexpr int maxUsbFirmwareRetries = 4;
};
