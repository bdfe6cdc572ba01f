#include "FootControllerDump.h"

#include "MidiProcessing.h"

namespace
{
    constexpr int fileBufferBytes = 16384;
}

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
juce::String FootControllerDump::makeFileName (juce::Time localTime)
{
    return localTime.formatted ("%y%m%d") + "-" + localTime.formatted ("%H%M%S") + "-qmr-303" + ".syx";
}

juce::File FootControllerDump::chooseExportFile (const juce::File& folder, juce::Time localTime)
{
    const auto name = makeFileName (localTime);
    auto file = folder.getChildFile (name);

    for (int number = 2; file.exists(); ++number)
        file = folder.getChildFile (juce::File::createLegalFileName (name.upToLastOccurrenceOf (".syx", false, false)
                                                                     + " (" + juce::String (number) + ").syx"));

    return file;
}

FootControllerDump::Export FootControllerDump::exportReceivedSysEx (const juce::String& folder, juce::Time localTime)
{
    Export result;
    const auto bytes = getSysExBytes();

    if (bytes.isEmpty())
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

    result.file = chooseExportFile (juce::File (folder), localTime);

    {
        juce::FileOutputStream stream (result.file, fileBufferBytes);

        if (stream.failedToOpen() || ! stream.getStatus().wasOk())
        {
            result.error = stream.getStatus().getErrorMessage();
            return result;
        }

        const bool wrote = stream.write (bytes.getData(), bytes.getSize());
        stream.flush();

        if (! wrote || ! stream.getStatus().wasOk())
            result.error = stream.getStatus().getErrorMessage();
    }

    // A file that holds less than the dump is no backup: it goes, and the dump stays.
    if (result.error.isEmpty() && result.file.getSize() != (juce::int64) bytes.getSize())
        result.error = "The file holds " + juce::String (result.file.getSize()) + " of "
                       + juce::String ((juce::int64) bytes.getSize()) + " bytes.";

    if (result.error.isNotEmpty() || ! result.file.existsAsFile())
    {
        if (result.error.isEmpty())
            result.error = "The file could not be written.";

        result.file.deleteFile();
        return result;
    }

    result.result = ExportResult::written;
    dumpBuffer.clear();
    return result;
}
