#include "FootControllerDump.h"

#include "MidiProcessing.h"

namespace
{
    // Numbered names tried when the time's own name is taken; more would be a folder gone wrong.
    constexpr int namesTried = 1000;

    juce::String explain (DurableFile::Outcome outcome)
    {
        switch (outcome)
        {
            case DurableFile::Outcome::ok:            return {};
            case DurableFile::Outcome::folderChanged: return "The receive folder was moved or removed while the file was written.";
            case DurableFile::Outcome::fileGone:      return "The file was removed or cut short while it was written.";
            case DurableFile::Outcome::nameTaken:     return "Every name for the file is taken.";
            case DurableFile::Outcome::writeFailed:
            default:                                  return "The disk refused the file; it may be full.";
        }
    }
} // namespace

FootControllerDump::FootControllerDump (MidiProcessing* linkToUse)
    : link (linkToUse)
{
}

FootControllerDump::~FootControllerDump()
{
    if (link != nullptr && link->isMonitoring())
        discard();
}

bool FootControllerDump::startRecording()
{
    dumpBuffer.clear();

    if (link == nullptr)
        return false;

    link->startMonitoring();
    return true;
}

void FootControllerDump::takeRecording()
{
    if (link == nullptr)
        return;

    link->stopMonitoring();
    link->takeMonitorBuffer (dumpBuffer);
}

void FootControllerDump::discard()
{
    if (link != nullptr)
    {
        link->stopMonitoring();
        juce::MidiBuffer dropped;
        link->takeMonitorBuffer (dropped);
    }

    dumpBuffer.clear();
}

juce::MemoryBlock FootControllerDump::getSysExBytes() const
{
    return extractSysEx (dumpBuffer);
}

juce::MemoryBlock FootControllerDump::extractSysEx (const juce::MidiBuffer& buffer)
{
    juce::MemoryOutputStream out;
    bool unterminated = false;   // the last SysEx written still waits for its F7

    for (const auto event : buffer)
    {
        if (event.numBytes < 1)
            continue;

        const auto first = event.data[0];
        const bool startsSysEx = first == 0xF0;
        const bool continuesSysEx = unterminated && (first < 0x80 || first == 0xF7);

        if (startsSysEx || continuesSysEx)
        {
            out.write (event.data, (size_t) event.numBytes);
            unterminated = event.data[event.numBytes - 1] != 0xF7;
        }
        else
        {
            unterminated = false;
        }
    }

    return out.getMemoryBlock();
}

//==============================================================================
juce::String FootControllerDump::makeFileName (juce::Time localTime, int number)
{
    const auto stem = localTime.formatted ("%y%m%d") + "-" + localTime.formatted ("%H%M%S") + "-qmr-303";
    return number < 2 ? stem + ".syx" : stem + " (" + juce::String (number) + ").syx";
}

FootControllerDump::Export FootControllerDump::exportReceivedSysEx (const juce::String& folder, juce::Time localTime)
{
    auto result = writeFile (getSysExBytes(), folder, localTime);

    if (result.result == ExportResult::written)
        dumpBuffer.clear();

    return result;
}

FootControllerDump::Export FootControllerDump::writeFile (const juce::MemoryBlock& sysEx, const juce::String& folder,
                                                          juce::Time localTime, DurableFile::Disk& disk)
{
    Export result;

    if (sysEx.isEmpty())
    {
        result.result = ExportResult::nothingReceived;
        return result;
    }

    result.result = ExportResult::writeFailed;

    if (! juce::File::isAbsolutePath (folder))
    {
        result.error = "No receive folder is chosen.";
        return result;
    }

    const juce::File receiveFolder (folder);
    result.file = receiveFolder.getChildFile (makeFileName (localTime));
    const auto held = HeldFolder::open (receiveFolder);

    if (held == nullptr)
    {
        result.error = "The receive folder " + folder + " is not there.";
        return result;
    }

    // Removed with its temporary file on every way out, unless it took its name.
    DurableFile file (held, result.file.getFileName(), disk);

    if (! file.isOk())
    {
        result.error = "No file can be made in the receive folder " + folder + ".";
        return result;
    }

    auto outcome = file.write (sysEx.getData(), sysEx.getSize()) ? DurableFile::Outcome::nameTaken
                                                                   : DurableFile::Outcome::writeFailed;

    for (int number = 1; number <= namesTried && outcome == DurableFile::Outcome::nameTaken; ++number)
    {
        result.file = receiveFolder.getChildFile (makeFileName (localTime, number));
        outcome = file.putInPlace (result.file.getFileName(), DurableFile::Replace::never);
    }

    if (outcome == DurableFile::Outcome::ok)
        result.result = ExportResult::written;
    else
        result.error = explain (outcome);

    return result;
}
