#include "TerminationSignal.h"

#include <juce_events/juce_events.h>

#if JUCE_LINUX
 #include <atomic>
 #include <csignal>
 #include <cstdlib>
 #include <pthread.h>
 #include <thread>

/*  JUCE has no interface for signals, so this file talks to POSIX directly. The signals stay
    blocked in every thread; one listener takes them with sigwait, in ordinary thread context, and
    hands the request to the message thread through an AsyncUpdater.
*/
namespace
{
sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset (&set);
    sigaddset (&set, SIGTERM);
    sigaddset (&set, SIGINT);
    return set;
}

/** In a child of fork, before it runs another program: the installer or the browser that this
    program starts must not inherit the block.
*/
extern "C" void unblockTerminationSignalsInChild()
{
    const auto set = terminationSignals();
    ::sigprocmask (SIG_UNBLOCK, &set, nullptr);
}
} // namespace

void TerminationSignal::blockInEveryThread()
{
    const auto set = terminationSignals();
    ::pthread_sigmask (SIG_BLOCK, &set, nullptr);

    static const bool childHandlerInstalled = ::pthread_atfork (nullptr, nullptr, unblockTerminationSignalsInChild) == 0;
    juce::ignoreUnused (childHandlerInstalled);
}

struct TerminationSignal::Pimpl : private juce::AsyncUpdater
{
    explicit Pimpl (std::function<void()> callback)
        : onTerminate (std::move (callback))
    {
        // Also when main has not blocked them: threads that started before then may still be
        // interrupted, this one and the ones it starts are not.
        blockInEveryThread();
        listener = std::thread ([this] { listen(); });
        listening = true;
    }

    ~Pimpl() override
    {
        stopping = true;
        ::pthread_kill (listener.native_handle(), SIGTERM);
        listener.join();
        cancelPendingUpdate();

        // Whatever of the shutdown remains: a request now ends the process at once.
        ::signal (SIGINT, SIG_DFL);
        const auto set = terminationSignals();
        ::pthread_sigmask (SIG_UNBLOCK, &set, nullptr);
    }

    void listen()
    {
        const auto set = terminationSignals();

        for (;;)
        {
            int received = 0;

            if (::sigwait (&set, &received) != 0)
                continue;

            if (stopping)
                return;

            // A second request while the first is served: the user or the session will not wait.
            if (requested.exchange (true))
                endNow (received);

            triggerAsyncUpdate();
        }
    }

    /** Ends the process as the signal's default action does. */
    [[noreturn]] static void endNow (int signalNumber)
    {
        ::signal (signalNumber, SIG_DFL);
        sigset_t only;
        sigemptyset (&only);
        sigaddset (&only, signalNumber);
        ::pthread_sigmask (SIG_UNBLOCK, &only, nullptr);
        ::raise (signalNumber);
        std::_Exit (128 + signalNumber);
    }

    void handleAsyncUpdate() override
    {
        if (onTerminate != nullptr)
            onTerminate();
    }

    std::function<void()> onTerminate;
    std::atomic<bool> stopping { false }, requested { false };
    std::thread listener;
    bool listening = false;
};

#else

void TerminationSignal::blockInEveryThread() {}

struct TerminationSignal::Pimpl
{
    explicit Pimpl (std::function<void()>) {}
    bool listening = false;
};

#endif

TerminationSignal::TerminationSignal (std::function<void()> onTerminate)
    : pimpl (std::make_unique<Pimpl> (std::move (onTerminate)))
{
}

TerminationSignal::~TerminationSignal() = default;

bool TerminationSignal::isListening() const noexcept
{
    return pimpl->listening;
}
