#include "DumpProgressThread.h"

#include "MidiProcessing.h"

namespace
{
    constexpr int pollIntervalMs = 100;
    constexpr int stopTimeoutMs = 2000;
} // namespace

DumpProgressThread::DumpProgressThread (Listener& listenerToTell)
    : DumpProgressThread (listenerToTell,
                          [midi = MidiProcessing::getInstance()]() -> juce::uint32
                          {
                              return midi != nullptr ? midi->getReceivedByteCount() : 0;
                          })
{
}

DumpProgressThread::DumpProgressThread (Listener& listenerToTell, ByteCounter counter)
    : juce::Thread ("DumpProgressThread")
    , listener (listenerToTell)
    , byteCounter (std::move (counter))
{
}

DumpProgressThread::~DumpProgressThread()
{
    stopThread (stopTimeoutMs);
    cancelPendingUpdate();
}

void DumpProgressThread::run()
{
    bool first = true;

    while (! threadShouldExit())
    {
        const auto count = byteCounter != nullptr ? byteCounter() : 0;

        if (first || count != latestCount.load())
        {
            latestCount = count;
            first = false;
            triggerAsyncUpdate();
        }

        wait (pollIntervalMs);
    }
}

juce::String DumpProgressThread::formatByteCount (juce::uint32 byteCount)
{
    return juce::String (byteCount) + " bytes received";
}

void DumpProgressThread::handleAsyncUpdate()
{
    const auto count = latestCount.load();
    listener.dumpByteCountChanged (count, formatByteCount (count));
}
