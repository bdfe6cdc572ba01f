#include "TransferReport.h"

#include "SysExTables.h"

#include <cmath>

namespace
{
bool isOneOf (int value, std::initializer_list<int> values)
{
    for (auto v : values)
        if (v == value)
            return true;

    return false;
}

bool isQueriedModel (int model)
{
    return isOneOf (model, { 3, 5, 6, 7, 8, 10, 16 });
}
} // namespace

juce::String TransferReport::deviceName (int model)
{
    if (model == 255)
        return "Utility";

    if (isOneOf (model, { 2, 3, 4, 5, 6, 7, 8, 10, 16 }))
        return lookupNameById (ModelNames, (juce::uint32) model);

    return "Other";
}

TransferReport::SuccessStep TransferReport::successStepFor (int model, PayloadKind kind) noexcept
{
    if (isQueriedModel (model))
    {
        if (isOneOf (kind, { PayloadKinds::orvixIIFirmware, PayloadKinds::lm6Firmware, PayloadKinds::kt4Firmware,
                             PayloadKinds::orvixIIIFirmware }))
            return SuccessStep::firmwareNotice;

        if (kind == PayloadKinds::orvixIIIUsbFirmware)
            return SuccessStep::usbRetryCheck;

        return SuccessStep::message;
    }

    if (model == 2 || model == 4)
        return kind == PayloadKinds::qmr303Firmware || kind == PayloadKinds::qmr303Backup ? SuccessStep::message
                                                                                          : SuccessStep::nothing;

    return model == 255 ? SuccessStep::message : SuccessStep::nothing;
}

int TransferReport::firmwareNoticeDelayMs (PayloadKind kind) noexcept
{
    return kind == PayloadKinds::orvixIIIFirmware || kind == PayloadKinds::orvixIIIUsbFirmware ? 1 : 10000;
}

juce::String TransferReport::successText (int model, PayloadKind kind)
{
    using namespace PayloadKinds;
    const juce::String complete (completionText);

    if (model == 2 || model == 4)
    {
        if (kind == qmr303Firmware)
            return "Firmware transfer complete!\n\n"
                   "The QMR-303 display should now read \"FW UPDATE COMPLETE\"\n"
                   "If so, please power cycle the unit to finish the update.\n\n"
                   "Should you encounter any problems, please refer to the \"Read Me\" file included with your QMR-303 firmware.";

        if (kind == qmr303Backup)
            return "Transfer complete. After the QMR-303 successfully receives a backup file, it again displays \"SysEx Data LOAD!\"\n\n"
                   "Please restart the unit and press OK to close this window.";

        return {};
    }

    if (model == 255)
        return "The transfer is complete.";

    if (! isQueriedModel (model))
        return {};

    const auto name = deviceName (model);

    switch (kind)
    {
        case preset:
            return complete + "Your preset has been sent to the edit buffer of the " + name
                   + ". If you wish to store the preset, please do so before continuing.";
        case cabIR:
            return complete + "The cab IR has been sent to the " + name + ".";
        case cabBank:
            return complete + "The cab bank has been sent to the " + name + ".";
        case orvixIIBank: case lm6Bank: case kt4Bank:
            return complete + "The bank has been sent to the " + name + ".";
        case orvixIIAllBanks: case lm6AllBanks: case kt4AllBanks: case kt4FactorySet:
            return complete + "All banks have been sent to the " + name + ".";
        case orvixIISystem: case orvixIIXLSystem: case lm6System: case kt4System:
        case orvixIIISystemMemory: case orvixIIIGlobalSettings:
            return complete + "Please reboot the " + name + ".";
        default:
            return complete;
    }
}

juce::String TransferReport::canceledText (int model, PayloadKind kind, double progress)
{
    using namespace PayloadKinds;
    juce::String addition;

    if (model == 3 || model == 6 || model == 7)
    {
        if (kind == orvixIIFirmware)
            addition = "\n\nReboot the Orvix II before attempting another update.";
        else if (kind == orvixIIBank || kind == orvixIIAllBanks)
            addition = "\n\nNote that some of the presets have been overwritten.";
    }
    else if (model == 16)
    {
        if (kind == orvixIIIFirmware || kind == orvixIIIUsbFirmware)
            addition = "\n\nReboot the Orvix III before attempting another update.";
    }
    else if (model == 2 || model == 4)
    {
        addition = kind == qmr303Firmware ? "\n\nReboot the QMR-303 before attempting another update."
                                          : "\n\nPlease reboot the QMR-303.";
    }
    else if (model == 255)
    {
        addition = "\n\nReboot the connected Zandrel Audio device before attempting another update.";
    }

    // Whatever reached the device before the Cancel stays there, as after a lost connection.
    return juce::String (cancelText) + "\nThe transfer stopped at " + juce::String (stoppedAtPercent (progress))
           + " %, so the data on the device may be incomplete." + addition;
}

juce::String TransferReport::deviceErrorText (int model, PayloadKind kind, juce::uint32 code)
{
    juce::String text;
    const juce::String error (errorText);

    if (model == 3 || model == 6 || model == 7)
    {
        text = error;

        if (kind == PayloadKinds::orvixIIFirmware)
            text += "This may have happened because you manually put the Orvix II into firmware update mode which is "
                    "not necessary for the version of the firmware that is currently installed.\n\n";

        if (code != 25)
            text += "Please try again.";
    }
    else if (model == 2 || model == 4)
    {
        text = error + "Reboot the QMR-303 before attempting another update.";
    }
    else if (model == 5 || model == 10)
    {
        text = error + "Please reboot the LM6 and try again.";
    }
    else if (model == 8)
    {
        text = error + "Please reboot the KT4 and try again.";
    }
    else if (model == 16)
    {
        text = error + "Please reboot the Orvix III and try again.";
    }

    return text + juce::String::formatted ("\n(Status code: %d)", (int) code);
}

juce::String TransferReport::noResponseText (int model)
{
    juce::String addition;

    if (model == 2 || model == 4)
        addition = "Please reboot the QMR-303 and try again.";
    else if (model == 3 || model == 6 || model == 7)
        addition = "Please ensure the Orvix II is connected and powered on, then try again.";
    else if (model == 16)
        addition = "Please ensure the Orvix III is connected and powered on, then try again.";

    return juce::String (errorText) + "No response received.\n" + addition;
}

int TransferReport::shownPercent (double fraction, bool complete) noexcept
{
    if (complete)
        return 100;

    if (! (fraction > 0.0))   // NaN included
        return 0;

    // A hair above the product keeps a share such as 0.29 (28.999... times 100) at its own
    // percent; work that did not finish never says 100 %.
    return juce::jlimit (0, 99, (int) std::floor (juce::jmin (fraction, 1.0) * 100.0 + 1.0e-9));
}

juce::String TransferReport::lostDuringSendText (double progress)
{
    return juce::String (lostCommunicationText) + "\n\nThe transfer stopped at " + juce::String (stoppedAtPercent (progress))
           + " %, so the data on the device may be incomplete. Reconnect the device and send the file again.";
}

juce::String TransferReport::endLine (Ending ending, double progress)
{
    const auto stopped = " The transfer stopped at " + juce::String (stoppedAtPercent (progress)) + " %.";

    switch (ending)
    {
        case Ending::succeeded:         return "Transfer complete!";
        case Ending::canceled:          return "File transmission has been canceled." + stopped;
        case Ending::failed:
        case Ending::noResponse:        return "An error has occurred during file transmission." + stopped;
        case Ending::usbFirmwareFailed: return "The Orvix III USB firmware failed to download.";
        case Ending::lost:
            return "Transfer stopped at " + juce::String (stoppedAtPercent (progress)) + " %: communication with the device was lost.";
    }

    return {};
}

TransferEnding TransferReport::endingOf (Ending ending, double progress)
{
    using Kind = TransferEnding::Kind;
    TransferEnding e;
    e.line = endLine (ending, progress);
    e.progress = progress;

    switch (ending)
    {
        case Ending::succeeded:         e.kind = Kind::complete; break;
        case Ending::canceled:          e.kind = Kind::canceled; break;
        case Ending::failed:            e.kind = Kind::deviceError; break;
        case Ending::noResponse:        e.kind = Kind::timedOut; break;
        case Ending::lost:              e.kind = Kind::lost; break;
        case Ending::usbFirmwareFailed: e.kind = Kind::deviceError; break;
    }

    // The USB firmware went out whole: the device did not take it, so no share is told.
    e.toldAsPercent = ending != Ending::succeeded && ending != Ending::usbFirmwareFailed;
    return e;
}

bool TransferReport::unmutesAfterwards (int currentModel, PayloadKind kind) noexcept
{
    return currentModel == 8 && kind != PayloadKinds::kt4Firmware;
}

bool TransferReport::sendsProgramChangeAfterwards (PayloadKind kind) noexcept
{
    return kind == PayloadKinds::orvixIIBank || kind == PayloadKinds::orvixIIAllBanks;
}
