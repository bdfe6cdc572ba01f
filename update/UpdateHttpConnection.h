#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

/** One GET exchange with a server, as UpdateHttpSession drives it: connect, then the status and
    header lines of the reply, then its body in reads.

    The network stack behind it may block for as long as the network takes, in every call and
    also in cancel() and the destructor (the framework's curl stream waits for an unanswered name
    look-up there). So only UpdateHttpSession's own network thread calls it (cancel() on a short
    thread of its own), and nothing that must answer ever waits for it.

    create() makes a connection over libcurl where the framework's stream is built on it (see
    UpdateCurlConnection), else the framework's stream; tests put a factory of their own in its
    place to stand for a network that never answers.
*/
class UpdateHttpConnection
{
public:
    using Factory = std::function<std::unique_ptr<UpdateHttpConnection> (const juce::URL& address, int timeoutMs)>;

    virtual ~UpdateHttpConnection() = default;

    /** Sends the request and waits for the head of the reply; false when none came. */
    virtual bool connect() = 0;

    virtual int getStatusCode() = 0;

    /** The reply's header lines ("Name: value"), the status line left out. */
    virtual juce::StringArray getHeaderLines() = 0;

    /** Reads up to `bytes` bytes; fewer only at the end of the body or when it broke. */
    virtual int read (void* destination, int bytes) = 0;

    /** True when the body ended by an error rather than at its end. */
    virtual bool isError() = 0;

    /** Aborts a connect or read in progress on another thread (any thread). */
    virtual void cancel() = 0;

    /** A connection for a GET of the address, with that connection and idle time-out. */
    static std::unique_ptr<UpdateHttpConnection> create (const juce::URL& address, int timeoutMs);

    /** Makes every later connection with the factory; an empty one restores the framework's. */
    static void setFactory (Factory factory);
};
