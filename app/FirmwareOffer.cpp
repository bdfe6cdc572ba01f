#include "FirmwareOffer.h"

#include "DownloadResult.h"
#include "FirmwareCheckResult.h"
#include "FirmwareImageCheck.h"
#include "SkinnedDialogWindow.h"
#include "TPXFirmwareUpdate.h"
#include "TPXFirmwareUpdateDownloadThread.h"

FirmwareOffer::FirmwareOffer (SkinManager* skinManager, juce::ChangeListener& changeListener)
    : skin (skinManager),
      listener (changeListener)
{
    makeUpdate = [] (SkinManager* s, juce::uint8 model, int major, int minor, const juce::String& text,
                     juce::PropertiesFile* settings)
    {
        return std::make_unique<TPXFirmwareUpdate> (s, model, major, minor, text, settings);
    };
}

FirmwareOffer::~FirmwareOffer()
{
    if (update != nullptr)
    {
        // Its progress window holds it without owning it: that window goes first.
        delete update->findParentComponentOfClass<juce::DialogWindow>();
        update->removeChangeListener (&listener);
    }
}

bool FirmwareOffer::isBusy() const
{
    return isChecking() || isTakenUp();
}

bool FirmwareOffer::isTakenUp() const
{
    return update != nullptr
           && (update->isDownloadRunning() || update->isShowing() || update->getInfoView().isShowing()
               || update->findParentComponentOfClass<juce::DialogWindow>() != nullptr);
}

bool FirmwareOffer::isSource (const juce::ChangeBroadcaster* source) const noexcept
{
    return update != nullptr && source == update.get();
}

bool FirmwareOffer::check (juce::uint8 model, int major, int minor, const juce::String& versionText,
                           juce::PropertiesFile* settings, std::function<void (int)> onResult)
{
    // A check that is still reading gives way to the new one (its answer may be for another
    // device by now); an open window or a running download is never replaced.
    if (isTakenUp())
        return false;

    if (update != nullptr)
        update->removeChangeListener (&listener);

    update = makeUpdate (skin, model, major, minor, versionText, settings);
    update->addChangeListener (&listener);

    // The check object owns the reads and drops their result if it goes first.
    update->checkForUpdate ([this, onResult] (int result)
                            {
                                lastResult = result;
                                downloadOffered = result == FirmwareCheckResult::newer;

                                if (onResult != nullptr)
                                    onResult (result);
                            });
    return true;
}

bool FirmwareOffer::isChecking() const noexcept
{
    return update != nullptr && update->isChecking();
}

FirmwareOffer::Labels FirmwareOffer::labelsFor (int result) const
{
    Labels labels;

    if (result == FirmwareCheckResult::newer)
    {
        labels = { Labels::Action::show, "Firmware " + getVersionText(), "Click to download:" };
    }
    else if (result == FirmwareCheckResult::incompatible)
    {
        labels = { Labels::Action::showIfOffered, "Firmware " + getVersionText() + " is available.", "Click for info." };
    }
    else if (result == FirmwareCheckResult::nothing)
    {
        labels.action = Labels::Action::hide;
    }

    return labels;
}

juce::String FirmwareOffer::getVersionText() const
{
    if (update == nullptr)
        return {};

    juce::String text;
    int major = 0, minor = 0;
    update->getAvailableVersion (text, major, minor);
    return text;
}

bool FirmwareOffer::showWindowAndDownload (juce::Component* console)
{
    if (update == nullptr || isBusy() || ! update->showWindow())
        return false;

    // Information only: newer firmware that this program cannot send is never downloaded.
    if (! downloadOffered)
        return false;

    // The progress window, drawn from the skin like the message boxes; it deletes itself once
    // it closes.
    SkinnedDialogWindow::launchAsync ("Firmware Update", *update, console);

    if (update->startDownload())
        return true;

    if (auto* window = update->findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState (0);

    return false;
}

FirmwareOffer::Outcome FirmwareOffer::takeDownload (juce::uint8 deviceModel, juce::MemoryBlock& image, PayloadKind& kind,
                                                    juce::String& problem)
{
    if (update == nullptr)
        return Outcome::none;

    switch (update->getDownloadResult())
    {
        case DownloadResult::cancelled: return Outcome::cancelled;
        case DownloadResult::failed:    return Outcome::failed;
        case DownloadResult::complete:  break;
        default:                        return Outcome::none;
    }

    auto* thread = update->getDownloadThread();
    juce::MemoryBlock bytes;

    if (thread == nullptr || ! thread->copyDownloadedData (bytes))
        return Outcome::failed;

    kind = FirmwareImageCheck::classify (bytes, deviceModel, problem);

    if (kind == PayloadKinds::notSendable)
        return Outcome::refused;

    image = std::move (bytes);
    return Outcome::taken;
}

juce::String FirmwareOffer::modelName (juce::uint8 model)
{
    switch (model)
    {
        case 2:  return "QMR-303 Original/MK II";
        case 3:  return "Orvix II Original/MK II";
        case 4:  return "QMR-303 MK3";
        case 5:  return "LM6";
        case 6:  return "Orvix II XL";
        case 7:  return "Orvix II XL+";
        case 8:  return "KT4";
        case 10: return "LM6 MK II";
        case 16: return "Orvix III";
        default: return "Unknown model";
    }
}

juce::String FirmwareOffer::describeDownload (juce::uint8 model, const juce::String& version)
{
    return modelName (model) + " firmware " + version;
}

FirmwareOffer::FolderAction FirmwareOffer::folderActionFor (const juce::String& fileText, bool firmwareInMemory)
{
    if (fileText.isEmpty())
        return FolderAction::nothing;

    // Only data that really was downloaded lives in memory; a file keeps its place on disk,
    // whatever its name says.
    if (firmwareInMemory)
        return FolderAction::inMemory;

    if (juce::File::isAbsolutePath (fileText))
        return juce::File (fileText).exists() ? FolderAction::reveal : FolderAction::invalidPath;

    return FolderAction::nothing;
}

juce::String FirmwareOffer::noticeText (juce::uint8 model, PayloadKind kind, const juce::String& completionText)
{
    juce::String name;

    switch (model)
    {
        case 3:  name = "Orvix II Original/MK II"; break;
        case 5:  name = "LM6"; break;
        case 6:  name = "Orvix II XL"; break;
        case 7:  name = "Orvix II XL+"; break;
        case 8:  name = "KT4"; break;
        case 10: name = "LM6 MK II"; break;
        case 16: name = "Orvix III"; break;
        default: name = "Other"; break;
    }

    if (model == 3 || model == 5 || model == 6 || model == 7 || model == 8 || model == 10)
    {
        if (kind == PayloadKinds::orvixIIFirmware || kind == PayloadKinds::lm6Firmware || kind == PayloadKinds::kt4Firmware)
            return "IMPORTANT! The transfer is complete but the " + name + " needs time to process and program the new firmware. "
                   "Please watch the screen of your " + name + " for the \"UPDATE COMPLETE\" message with further instructions.";

        if (kind == PayloadKinds::fpgaImage)
            return "IMPORTANT! The transfer is complete but the " + name + " needs time to program the FPGA. Please watch the screen of your "
                   + name + " and wait until the \"Programming...\" message disappears. Then reboot the " + name + ".";

        return completionText;
    }

    if (model == 16 && kind == PayloadKinds::orvixIIIFirmware)
        return "IMPORTANT! The transfer is complete. Please check the screen of your " + name
               + " for the \"UPDATE SUCCESSFUL\" message with further instructions.";

    if (model == 16 && kind == PayloadKinds::orvixIIIUsbFirmware)
        return "IMPORTANT! The transfer is complete. Please power off the " + name + ", wait 5 seconds, and then power the unit back on.";

    return {};
}
