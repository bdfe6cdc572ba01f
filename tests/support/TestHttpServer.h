#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace morvane::test
{
/** A real HTTP server on 127.0.0.1 and a free port, for the update service's tests: it serves
    feeds, notes and downloads by path, and misbehaves on purpose when a route asks it to.

    start() binds and runs it on its own threads; stop() (and the destructor) first releases
    every stalled reply, then ends the server. Routes may be added or changed while it runs.
*/
class TestHttpServer
{
public:
    enum class Behaviour
    {
        normal,        ///< the body with its Content-Length and the route's status
        chunked,       ///< the body in chunks, no length
        noLength,      ///< the body without a length, ended by closing the connection
        cutShort,      ///< announces the whole length, sends half, closes
        cutChunked,    ///< sends half of the body in chunks, closes without the last chunk
        stallBody,     ///< announces the whole length, sends half, then waits until released
        stallChunked,  ///< sends half of the body in chunks, then waits until released
        stallHeaders,  ///< sends nothing until released (the connection stays "opening"): a silent server
        drip,          ///< announces the whole length, then sends 16 bytes every 100 ms until done or released
        redirect,      ///< the route's status (a 3xx) with the body as its Location header, and no body
        twoLengths,    ///< the body with two Content-Length headers: its own and 7
        endless        ///< the body over and over without a length, until the client goes or it is released
    };

    TestHttpServer();
    ~TestHttpServer();

    /** False when no port could be bound. */
    bool start();
    void stop();

    /** "http://127.0.0.1:<port>". */
    juce::String getBaseAddress() const;

    /** Serves the body at the path (which starts with '/'). */
    void serve (const juce::String& path, const juce::MemoryBlock& body, Behaviour behaviour = Behaviour::normal,
                int status = 200);
    void serve (const juce::String& path, const juce::String& body, Behaviour behaviour = Behaviour::normal,
                int status = 200);

    /** How many requests for the path have arrived. */
    int getRequestCount (const juce::String& path) const;

    /** Total requests, any path. */
    int getTotalRequestCount() const;

    /** Runs the message-free wait until a request for the path has arrived; false at the deadline. */
    bool waitForRequest (const juce::String& path, int timeoutMs = 20000) const;

    /** Serves a redirect to the address (another host, another scheme, a relative path). */
    void redirect (const juce::String& path, const juce::String& location, int status = 302);

    /** Lets every stalled reply end (by closing its connection); from then on nothing stalls. */
    void releaseStalls();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TestHttpServer)
};
} // namespace morvane::test
