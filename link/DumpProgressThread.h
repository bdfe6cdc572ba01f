#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>

/** Counts, while the foot controller dump window waits for a dump, the bytes of MIDI that the link
    worker has received, and hands the count to the window.

    Every 100 ms the thread reads the worker's received byte count. The count never reaches a
    component from this thread: it is passed to the Listener on the message thread, whose
    implementation (the window) shows the text, "<count> bytes received", on its progress bar.

    Create, start and delete it on the message thread.
*/
class DumpProgressThread : public juce::Thread,
                           private juce::AsyncUpdater
{
public:
    /** Implemented by whatever shows the count. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Called on the message thread when the thread has read a new count (and once at the
            start); text is the count followed by " bytes received".
        */
        virtual void dumpByteCountChanged (juce::uint32 byteCount, const juce::String& text) = 0;
    };

    /** Where the count is read from; called on the thread. */
    using ByteCounter = std::function<juce::uint32()>;

    /** Counts the bytes that MidiProcessing's monitor has received. The listener must outlive the
        thread.
    */
    explicit DumpProgressThread (Listener& listener);

    /** Counts whatever byteCounter returns (for a source other than MidiProcessing). */
    DumpProgressThread (Listener& listener, ByteCounter byteCounter);

    /** Stops the thread (it wakes at once) and drops a count not yet delivered. */
    ~DumpProgressThread() override;

    void run() override;

    /** The text shown for a count: the count in decimal followed by " bytes received". */
    static juce::String formatByteCount (juce::uint32 byteCount);

private:
    void handleAsyncUpdate() override;

    Listener& listener;
    const ByteCounter byteCounter;
    std::atomic<juce::uint32> latestCount { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DumpProgressThread)
};
