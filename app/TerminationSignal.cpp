#include "TerminationSignal.h"

#include <juce_events/juce_events.h>

#if JUCE_LINUX
 #include <atomic>
 #include <csignal>
 #include <fcntl.h>
 #include <unistd.h>

/*  JUCE has no interface for signals, so this file talks to POSIX directly. The handler only
    writes one byte into a pipe (all that is safe inside a signal handler); the read end is watched
    by JUCE's own Linux event loop, which calls us back on the message thread.
*/
namespace
{
std::atomic<int> signalPipeWriteEnd { -1 };

extern "C" void morvaneTerminationHandler (int)
{
    const int fd = signalPipeWriteEnd.load();

    if (fd >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write (fd, &byte, 1);
    }
}
} // namespace

struct TerminationSignal::Pimpl
{
    explicit Pimpl (std::function<void()> callback)
        : onTerminate (std::move (callback))
    {
        if (::pipe (fds) != 0)
            return;

        for (int fd : fds)
        {
            ::fcntl (fd, F_SETFD, FD_CLOEXEC);
            ::fcntl (fd, F_SETFL, O_NONBLOCK);
        }

        signalPipeWriteEnd = fds[1];

        juce::LinuxEventLoop::registerFdCallback (fds[0], [this] (int fd)
        {
            char buffer[16];
            bool requested = false;

            while (::read (fd, buffer, sizeof (buffer)) > 0)
                requested = true;

            if (requested && onTerminate != nullptr)
                onTerminate();
        });

        struct sigaction action {};
        action.sa_handler = morvaneTerminationHandler;
        sigemptyset (&action.sa_mask);
        action.sa_flags = SA_RESTART;
        listening = ::sigaction (SIGTERM, &action, &previous) == 0;
    }

    ~Pimpl()
    {
        if (listening)
            ::sigaction (SIGTERM, &previous, nullptr);

        signalPipeWriteEnd = -1;

        if (fds[0] >= 0)
        {
            juce::LinuxEventLoop::unregisterFdCallback (fds[0]);
            ::close (fds[0]);
            ::close (fds[1]);
        }
    }

    std::function<void()> onTerminate;
    int fds[2] = { -1, -1 };
    struct sigaction previous {};
    bool listening = false;
};

#else

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
