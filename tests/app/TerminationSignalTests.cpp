#include "TerminationSignal.h"

#include <gtest/gtest.h>

#if JUCE_LINUX
 #include <csignal>
 #include <sys/wait.h>
 #include <unistd.h>

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

// A program whose message thread does not act on the first request (held up, or asking
// something) must still end when asked again: the second request ends it at once, by the signal.
TEST (TerminationSignal, ASecondRequestEndsAProgramThatHasNotActedOnTheFirst)
{
    const auto folder = juce::File::createTempFile ("signals");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    const auto waitFor = [] (const std::function<bool()>& condition)
    {
        for (int i = 0; i < 1000 && ! condition(); ++i)
            juce::Thread::sleep (10);

        return condition();
    };

    const auto child = ::fork();
    ASSERT_GE (child, 0);

    if (child == 0)
    {
        ::execl (MORVANE_TERMINATION_CHILD, MORVANE_TERMINATION_CHILD, folder.getFullPathName().toRawUTF8(), nullptr);
        ::_exit (127);
    }

    int status = 0;
    bool reaped = false;
    const auto ended = [&] { return reaped = reaped || ::waitpid (child, &status, WNOHANG) == child; };

    EXPECT_TRUE (waitFor ([&] { return folder.getChildFile ("ready").exists(); })) << "the program did not start listening";
    ::kill (child, SIGTERM);
    EXPECT_TRUE (waitFor ([&] { return folder.getChildFile ("taken").exists(); })) << "the first request was not taken";
    EXPECT_FALSE (ended()) << "the first request ended the program by itself";

    ::kill (child, SIGTERM);
    EXPECT_TRUE (waitFor (ended) && WIFSIGNALED (status) && WTERMSIG (status) == SIGTERM)
        << "the second request did not end the program by its signal (status " << status << ")";

    if (! reaped)
    {
        ::kill (child, SIGKILL);
        ::waitpid (child, &status, 0);
    }

    folder.deleteRecursively();
}
} // namespace
#endif
