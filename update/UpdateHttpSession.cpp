#include "UpdateHttpSession.h"

#include "UpdateServer.h"

/** Cancels the session when its deadline passes, unless the session ends first. */
class UpdateHttpSession::Watchdog : public juce::Thread
{
public:
    Watchdog (UpdateHttpSession& sessionToWatch, int deadlineMs)
        : juce::Thread ("Update Deadline"), session (sessionToWatch), milliseconds (deadlineMs)
    {
        startThread();
    }

    ~Watchdog() override
    {
        signalThreadShouldExit();
        notify();
        stopThread (-1);
    }

    void run() override
    {
        const auto end = juce::Time::getMillisecondCounterHiRes() + milliseconds;

        for (;;)
        {
            if (threadShouldExit())
                return;

            const auto left = end - juce::Time::getMillisecondCounterHiRes();

            if (left <= 0)
                break;

            wait ((int) juce::jmin (left + 1.0, 1000.0));
        }

        session.timedOut = true;
        session.cancel();
    }

private:
    UpdateHttpSession& session;
    const double milliseconds;
};

UpdateHttpSession::UpdateHttpSession (int deadlineMs)
{
    if (deadlineMs > 0)
        watchdog = std::make_unique<Watchdog> (*this, deadlineMs);
}

UpdateHttpSession::~UpdateHttpSession()
{
    watchdog.reset();
    setStream (nullptr);
}

void UpdateHttpSession::endDeadline()
{
    watchdog.reset();
}

void UpdateHttpSession::cancel()
{
    const juce::ScopedLock sl (streamLock);
    cancelled = true;

    if (stream != nullptr)
        stream->cancel();
}

void UpdateHttpSession::setStream (std::unique_ptr<juce::WebInputStream> newStream)
{
    std::unique_ptr<juce::WebInputStream> old;

    {
        const juce::ScopedLock sl (streamLock);
        old = std::move (stream);
        stream = std::move (newStream);

        if (stream != nullptr && cancelled.load())
            stream->cancel();
    }

    // Deleted outside the lock: cancel() never waits for a connection to close.
}

bool UpdateHttpSession::open (const juce::URL& address, juce::String& problem)
{
    length = -1;
    bytesRead = 0;
    complete = failed = false;
    setStream (nullptr);

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
        auto next = std::make_unique<juce::WebInputStream> (*current, false);
        next->withConnectionTimeout (UpdateServer::getTimeoutMs());
        next->withNumRedirectsToFollow (0);
        auto* opening = next.get();
        setStream (std::move (next));

        const bool connected = ! cancelled.load() && opening->connect (nullptr);

        if (cancelled.load())
        {
            problem = timedOut.load() ? "the server took too long" : "cancelled";
            return false;
        }

        if (! connected)
        {
            problem = "no connection";
            return false;
        }

        const auto verdict = HttpReplyRules::judge (*current, opening->getStatusCode(), opening->getResponseHeaders(), redirects);

        switch (verdict.kind)
        {
            case HttpReplyRules::Verdict::Kind::accept:
                length = verdict.length;
                return true;

            case HttpReplyRules::Verdict::Kind::redirect:
                current = std::make_unique<juce::URL> (verdict.next);
                break;

            case HttpReplyRules::Verdict::Kind::refuse:
                problem = verdict.problem;
                setStream (nullptr);
                return false;
        }
    }
}

int UpdateHttpSession::read (void* destination, int bytes)
{
    if (stream == nullptr || failed || cancelled.load())
        return -1;

    if (complete || bytes <= 0)
        return 0;

    if (length >= 0)
        bytes = (int) juce::jmin ((juce::int64) bytes, length - bytesRead);

    // The framework's read returns fewer bytes than asked only at the end of the stream.
    const int got = stream->read (destination, bytes);

    if (cancelled.load() || got < 0)
    {
        failed = true;
        return -1;
    }

    bytesRead += got;

    if (got == bytes)
    {
        complete = bytesRead == length;
        return got;
    }

    // The stream ended: whole only when it is sound and, with a length, all of it came.
    if (stream->isError() || length >= 0)
    {
        failed = true;
        return -1;
    }

    complete = true;
    return got;
}

bool UpdateHttpSession::fetch (const juce::URL& address, juce::int64 maxBytes, juce::MemoryBlock& body)
{
    body.reset();
    juce::String problem;

    if (! open (address, problem) || length > maxBytes)
        return false;

    char chunk[1024];

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
