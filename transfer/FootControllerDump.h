#pragma once

#include "DurableFile.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

class MidiProcessing;

/** The foot controller's dump on its way from the link's monitor to its file.

    The QMR-303 cannot be asked for its data: the user starts a dump on the device while the link
    worker's monitor records every incoming MIDI event. This takes what the monitor recorded and
    writes its SysEx, in arrival order, into one time-stamped file "%y%m%d-%H%M%S-qmr-303.syx" of
    the receive folder. Clock, active sensing and other non-SysEx events are counted by the
    monitor but never written. A dump whose file could not be written is kept, so that the user
    can try again without dumping again.

    Message thread; no window needed.
*/
class FootControllerDump
{
public:
    /** link may be null (nothing is ever recorded then). */
    explicit FootControllerDump (MidiProcessing* link);

    /** Stops a recording that still runs; what it recorded is dropped. */
    ~FootControllerDump();

    /** Drops a dump kept from a failed write, empties the monitor and its byte count and
        switches it on. False without a link.
    */
    bool startRecording();

    /** Switches the monitor off and moves what it recorded behind the dump kept so far. */
    void takeRecording();

    /** Switches the monitor off and drops everything recorded or kept. */
    void discard();

    /** True while a dump is kept that has not been written yet. */
    bool hasDump() const noexcept { return ! dumpBuffer.isEmpty(); }

    /** The SysEx bytes of the kept dump, in arrival order: every event that begins with F0, and
        the events that carry the rest of a message too long for one event.
    */
    juce::MemoryBlock getSysExBytes() const;

    /** Those bytes of any buffer. */
    static juce::MemoryBlock extractSysEx (const juce::MidiBuffer& buffer);

    //==============================================================================
    enum class ExportResult
    {
        written,          ///< the file holds the dump; the dump is no longer kept
        nothingReceived,  ///< no SysEx arrived; no file was made
        writeFailed       ///< the file could not be written; the dump is still kept
    };

    struct Export
    {
        ExportResult result = ExportResult::nothingReceived;
        juce::File file;        ///< the file written (or tried)
        juce::String error;     ///< the reason of a failed write
    };

    /** Writes the kept dump's SysEx into a new file of folder named by the local time (see
        writeFile); once it is written the dump is no longer kept.
    */
    Export exportReceivedSysEx (const juce::String& folder, juce::Time localTime);

    /** Writes sysEx into a new file of folder named by the local time, kept like every backup:
        the bytes go into a temporary file beside the name, which takes the name only when whole
        and on the disk (see DurableFile), so that nothing partial ever stands under a backup's
        name. A name under which anything stands (a file, a folder, a link, even one that leads
        nowhere) is taken, and never written through: the file then gets the next free number.
    */
    static Export writeFile (const juce::MemoryBlock& sysEx, const juce::String& folder, juce::Time localTime,
                             DurableFile::Disk& disk = DurableFile::Disk::system());

    /** "%y%m%d-%H%M%S-qmr-303.syx" of that time; from number 2 on, "<that name> (number).syx". */
    static juce::String makeFileName (juce::Time localTime, int number = 1);

private:
    MidiProcessing* link = nullptr;
    juce::MidiBuffer dumpBuffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FootControllerDump)
};
