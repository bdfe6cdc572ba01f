#include "UpdateHttpSession.h"

#include "UpdateHttpConnection.h"
#include "UpdateServer.h"

namespace
{
constexpr int chunkBytes = 1024;

// How far the network thread reads ahead of the reader.
constexpr size_t maxPendingBytes = 64 * 1024;

/** Runs the sessions' network work on threads that no one waits for. Each thread runs its work
    once and ends by itself; ended threads are deleted when the next one starts. The keeper is
    made once and never destroyed, so a thread that the network still holds when the program ends
    finds nothing torn down under it, and stays reachable for the leak checker. (The framework's
    own self-deleting threads are not used: one that ends at once frees itself while its starter
    still holds its lock.)

    A thread may be running when the program ends, but it must not be starting: the framework
    sets a new thread up from data that the end of the program destroys, and a thread that gets
    there only after that reads freed memory. So a start returns only once the new thread is
    running its work, and once the program has begun to end no thread starts.
*/
class NetworkThreads
{
public:
    /** Starts the work on a thread of its own; false when no thread could start. */
    static bool start (std::function<void()> work)
    {
        static auto* const keeper = new NetworkThreads();
        return keeper->launch (std::move (work));
    }

private:
    class Worker : public juce::Thread
    {
    public:
        explicit Worker (std::function<void()> toDo) : juce::Thread ("Update Network"), work (std::move (toDo)) {}

        void run() override
        {
            running.signal();
            work();
            work = nullptr;   // what the work held goes now, not when the thread object does
        }

        /** Signalled once the framework has set the thread up and its work begins. */
        juce::WaitableEvent running { true };

    private:
        std::function<void()> work;
    };

    bool launch (std::function<void()> work)
    {
        if (programEnding.load())
            return false;

        auto worker = std::make_unique<Worker> (std::move (work));

        if (! worker->startThread())
            return false;

        // The framework lets a started thread reach its work in any case, so this wait is short
        // and always ends. Until the worker is in the list, no other start can delete it.
        worker->running.wait (-1);
        watchForTheEnd();

        juce::OwnedArray<juce::Thread> ended;   // deleted outside the lock

        {
            const juce::ScopedLock sl (lock);

            for (int i = threads.size(); --i >= 0;)
                if (! threads.getUnchecked (i)->isThreadRunning())
                    ended.add (threads.removeAndReturn (i));

            threads.add (worker.release());
        }

        return true;
    }

    /** Made after the framework's thread data (a thread of ours has run), so destroyed before
        it when the program ends: from then on no thread starts.
    */
    static void watchForTheEnd()
    {
        struct Watch
        {
            ~Watch() { programEnding.store (true); }
        };

        static const Watch watch;
    }

    // Plain and never destroyed, so that it can still be read while the program ends.
    static inline std::atomic<bool> programEnding { false };

    juce::CriticalSection lock;
    juce::Array<juce::Thread*> threads;
};
} // namespace

//==============================================================================
/** What a session and its network thread share. The network thread holds it for as long as it
    runs, so the session may let go of both at any time; the thread then ends after the step it
    is in, however long the network keeps it there, and the last of the two to let go frees it.

    Each request of the session gets a new number: whatever the network thread brings back for an
    older one is dropped.
*/
class UpdateHttpSession::Exchange : public std::enable_shared_from_this<Exchange>
{
public:
    Exchange() = default;

    /** Asks for a connection to the address, closing the one before (reading thread). */
    bool askConnect (const juce::URL& address, int timeoutMs)
    {
        {
            const juce::ScopedLock sl (lock);
            ++request;
            wanted = std::make_unique<juce::URL> (address);
            timeout = timeoutMs;
            connectDone = connected = bodyWanted = bodyEnded = bodyError = false;
            status = 0;
            headerLines.clear();
            pending.reset();

            if (! started)
            {
                started = NetworkThreads::start ([self = shared_from_this()] { self->work(); });

                if (! started)
                    return false;
            }
        }

        toWorker.signal();
        return true;
    }

    /** The reply is wanted: its body is read ahead from now on (reading thread). */
    void askBody()
    {
        {
            const juce::ScopedLock sl (lock);
            bodyWanted = true;
        }

        toWorker.signal();
    }

    /** Takes up to `bytes` bytes that have arrived (reading thread, under the lock). */
    int take (void* destination, int bytes)
    {
        const auto count = juce::jmin ((size_t) bytes, pending.getSize());

        if (count > 0)
        {
            pending.copyTo (destination, 0, count);
            pending.removeSection (0, count);
            toWorker.signal();
        }

        return (int) count;
    }

    /** The session lets go (any thread, never waits for the network): the network thread ends
        after its step, and a connection still busy is aborted on a short thread of its own, as
        aborting it may wait for the network too.
    */
    void abandon()
    {
        std::shared_ptr<UpdateHttpConnection> busy;

        {
            const juce::ScopedLock sl (lock);

            if (abandoned)
                return;

            abandoned = true;
            busy = connection;
        }

        toWorker.signal();

        if (busy != nullptr)
            NetworkThreads::start ([busy] { busy->cancel(); });
    }

    juce::CriticalSection lock;
    juce::WaitableEvent toReader;   // signalled on every change that the reader may wait for

    // Written by the network thread for the current request, read by the reader; under lock.
    bool connectDone = false, connected = false, bodyEnded = false, bodyError = false;
    int status = 0;
    juce::StringArray headerLines;
    juce::MemoryBlock pending;

private:
    /** The network thread: one request after the other until the session lets go. */
    void work()
    {
        for (;;)
        {
            std::unique_ptr<juce::URL> address;
            int number = 0, timeoutMs = 0;

            {
                const juce::ScopedLock sl (lock);

                while (! abandoned && wanted == nullptr)
                {
                    const juce::ScopedUnlock ul (lock);
                    toWorker.wait (-1);
                }

                if (abandoned)
                    return;

                address = std::move (wanted);
                number = request;
                timeoutMs = timeout;
            }

            std::shared_ptr<UpdateHttpConnection> made (UpdateHttpConnection::create (*address, timeoutMs));

            {
                const juce::ScopedLock sl (lock);

                if (abandoned)
                    return;

                if (number != request)
                    continue;

                connection = made;
            }

            const bool ok = made != nullptr && made->connect();
            const int code = ok ? made->getStatusCode() : 0;
            const auto lines = ok ? made->getHeaderLines() : juce::StringArray();

            {
                const juce::ScopedLock sl (lock);

                if (number == request)
                {
                    connectDone = true;
                    connected = ok;
                    status = code;
                    headerLines = lines;
                }
            }

            toReader.signal();

            if (ok && waitForBody (number))
                readBody (*made, number);

            {
                const juce::ScopedLock sl (lock);
                connection.reset();
            }

            // The stream closes here, on this thread, however long that takes.
            made.reset();
        }
    }

    /** True once the reader wants this reply's body; false when it moved on or let go. */
    bool waitForBody (int number)
    {
        const juce::ScopedLock sl (lock);

        while (! abandoned && number == request && ! bodyWanted)
        {
            const juce::ScopedUnlock ul (lock);
            toWorker.wait (-1);
        }

        return ! abandoned && number == request;
    }

    void readBody (UpdateHttpConnection& source, int number)
    {
        char chunk[chunkBytes];

        for (;;)
        {
            {
                const juce::ScopedLock sl (lock);

                while (! abandoned && number == request && pending.getSize() >= maxPendingBytes)
                {
                    const juce::ScopedUnlock ul (lock);
                    toWorker.wait (-1);
                }

                if (abandoned || number != request)
                    return;
            }

            // The framework's read returns fewer bytes than asked only at the end of the body.
            const int got = source.read (chunk, chunkBytes);
            const bool ended = got < chunkBytes;
            const bool broke = ended && (got < 0 || source.isError());

            {
                const juce::ScopedLock sl (lock);

                if (number != request)
                    return;

                if (got > 0)
                    pending.append (chunk, (size_t) got);

                bodyEnded = ended;
                bodyError = broke;
            }

            toReader.signal();

            if (ended)
                return;
        }
    }

    juce::WaitableEvent toWorker;

    // The request, written by the reader; under lock.
    int request = 0, timeout = 0;
    std::unique_ptr<juce::URL> wanted;
    bool bodyWanted = false, started = false, abandoned = false;
    std::shared_ptr<UpdateHttpConnection> connection;   // the one the network thread is busy with

    // No leak detector: a network thread that the network holds may outlive every other object.
    JUCE_DECLARE_NON_COPYABLE (Exchange)
};

//==============================================================================
UpdateHttpSession::UpdateHttpSession (int deadlineMs)
    : exchange (std::make_shared<Exchange>())
{
    if (deadlineMs > 0)
        deadline = juce::Time::getMillisecondCounterHiRes() + deadlineMs;
}

UpdateHttpSession::~UpdateHttpSession()
{
    exchange->abandon();
}

void UpdateHttpSession::endDeadline()
{
    deadline = 0;
}

void UpdateHttpSession::cancel()
{
    cancelled = true;
    exchange->abandon();
    exchange->toReader.signal();
}

template <typename Ready>
bool UpdateHttpSession::waitUntil (Ready ready)
{
    for (;;)
    {
        {
            const juce::ScopedLock sl (exchange->lock);

            if (ready())
                return ! cancelled.load();
        }

        if (cancelled.load())
            return false;

        int waitMs = 1000;

        if (deadline > 0)
        {
            const auto left = deadline - juce::Time::getMillisecondCounterHiRes();

            if (left <= 0)
            {
                timedOut = true;
                cancel();
                return false;
            }

            waitMs = (int) juce::jmin (left + 1.0, 1000.0);
        }

        exchange->toReader.wait (waitMs);
    }
}

bool UpdateHttpSession::open (const juce::URL& address, juce::String& problem)
{
    length = -1;
    bytesRead = 0;
    complete = failed = reading = false;

    if (! HttpReplyRules::isWebAddress (address.toString (true)))
    {
        problem = "the address is not http or https";
        return false;
    }

    // Each hop is a new address (the framework's URL does not take assignment of an empty one
    // cleanly).
    auto current = std::make_unique<juce::URL> (address);

    for (int redirects = 0;; ++redirects)
    {
        auto& shared = *exchange;

        if (cancelled.load() || ! shared.askConnect (*current, UpdateServer::getTimeoutMs())
            || ! waitUntil ([&shared] { return shared.connectDone; }))
        {
            problem = timedOut.load() ? "the server took too long" : cancelled.load() ? "cancelled" : "no connection";
            return false;
        }

        int status = 0;
        juce::StringArray lines;

        {
            const juce::ScopedLock sl (shared.lock);

            if (! shared.connected)
            {
                problem = "no connection";
                return false;
            }

            status = shared.status;
            lines = shared.headerLines;
        }

        const auto verdict = HttpReplyRules::judge (*current, status, lines, redirects);

        switch (verdict.kind)
        {
            case HttpReplyRules::Verdict::Kind::accept:
                length = verdict.length;
                reading = true;
                shared.askBody();
                return true;

            case HttpReplyRules::Verdict::Kind::redirect:
                current = std::make_unique<juce::URL> (verdict.next);
                break;

            case HttpReplyRules::Verdict::Kind::refuse:
                problem = verdict.problem;
                return false;
        }
    }
}

int UpdateHttpSession::read (void* destination, int bytes)
{
    if (! reading || failed || cancelled.load())
        return -1;

    if (complete || bytes <= 0)
        return 0;

    if (length >= 0)
        bytes = (int) juce::jmin ((juce::int64) bytes, length - bytesRead);

    auto& shared = *exchange;
    int got = 0;
    bool ended = false, broke = false;

    const bool arrived = waitUntil ([&]
    {
        got = shared.take (destination, bytes);
        ended = shared.bodyEnded && shared.pending.isEmpty();
        broke = shared.bodyError;
        return got > 0 || ended;
    });

    if (! arrived)
    {
        failed = true;
        return -1;
    }

    bytesRead += got;

    if (length >= 0 && bytesRead == length)
    {
        complete = true;
        return got;
    }

    if (got > 0)
        return got;

    // The body ended: whole only when it is sound and, with a length, all of it came.
    if (broke || length >= 0)
    {
        failed = true;
        return -1;
    }

    complete = true;
    return 0;
}

bool UpdateHttpSession::fetch (const juce::URL& address, juce::int64 maxBytes, juce::MemoryBlock& body)
{
    body.reset();
    juce::String problem;

    if (! open (address, problem) || length > maxBytes)
        return false;

    char chunk[chunkBytes];

    for (;;)
    {
        const int got = read (chunk, (int) sizeof (chunk));

        if (got < 0)
            break;

        body.append (chunk, (size_t) got);

        if ((juce::int64) body.getSize() > maxBytes)
            break;

        if (isComplete())
            return true;

        if (got == 0)
            break;
    }

    body.reset();
    return false;
}
