#include "TerminationSignal.h"

#include <gtest/gtest.h>

#if JUCE_LINUX
 #include <csignal>

namespace
{
/** The signals blocked in a program that this thread starts, from its own report. */
juce::uint64 blockedInChild()
{
    juce::ChildProcess child;

    if (! child.start ("cat /proc/self/status"))
        return ~(juce::uint64) 0;

    const auto line = juce::StringArray::fromLines (child.readAllProcessOutput()).joinIntoString ("\n")
                          .fromFirstOccurrenceOf ("SigBlk:", false, false).upToFirstOccurrenceOf ("\n", false, false).trim();
    return (juce::uint64) line.getHexValue64();
}

bool includes (juce::uint64 mask, int signalNumber)
{
    return (mask & ((juce::uint64) 1 << (signalNumber - 1))) != 0;
}

// The block that keeps the signals away from every thread of the program is not handed on to
// the installer or the browser that it starts: those stay free to be ended.
TEST (TerminationSignal, ProgramsStartedFromABlockingThreadGetTheSignalsBack)
{
    sigset_t before;
    ::pthread_sigmask (SIG_BLOCK, nullptr, &before);

    TerminationSignal::blockInEveryThread();

    sigset_t blocked;
    ::pthread_sigmask (SIG_BLOCK, nullptr, &blocked);
    EXPECT_TRUE (sigismember (&blocked, SIGTERM) && sigismember (&blocked, SIGINT));

    const auto childMask = blockedInChild();
    EXPECT_FALSE (includes (childMask, SIGTERM)) << juce::String::toHexString ((juce::int64) childMask);
    EXPECT_FALSE (includes (childMask, SIGINT)) << juce::String::toHexString ((juce::int64) childMask);

    ::pthread_sigmask (SIG_SETMASK, &before, nullptr);
}
} // namespace
#endif
