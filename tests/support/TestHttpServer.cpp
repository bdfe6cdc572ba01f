#include "TestHttpServer.h"

#include <httplib.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace morvane::test
{
struct TestHttpServer::Impl
{
    struct Route
    {
        std::string body;
        Behaviour behaviour = Behaviour::normal;
        int status = 200;
    };

    httplib::Server server;
    std::thread listener;
    int port = 0;

    mutable std::mutex lock;
    mutable std::condition_variable changed;
    std::map<std::string, Route> routes;
    std::map<std::string, int> requestCounts;
    int totalRequests = 0;
    bool released = false;

    void waitUntilReleased()
    {
        std::unique_lock<std::mutex> guard (lock);
        changed.wait (guard, [this] { return released; });
    }

    /** Waits up to the time given; true when released meanwhile. */
    bool waitReleasedFor (int milliseconds)
    {
        std::unique_lock<std::mutex> guard (lock);
        return changed.wait_for (guard, std::chrono::milliseconds (milliseconds), [this] { return released; });
    }

    void handle (const httplib::Request& request, httplib::Response& response)
    {
        Route route;
        bool known = false;

        {
            const std::lock_guard<std::mutex> guard (lock);
            ++requestCounts[request.path];
            ++totalRequests;

            if (auto found = routes.find (request.path); found != routes.end())
            {
                route = found->second;
                known = true;
            }
        }

        changed.notify_all();

        if (! known)
        {
            response.status = 404;
            response.set_content ("<html><body>Not found</body></html>", "text/html");
            return;
        }

        const auto body = std::make_shared<std::string> (route.body);
        const auto half = body->size() / 2;
        response.status = route.status;

        switch (route.behaviour)
        {
            case Behaviour::normal:
                response.set_content (*body, "application/octet-stream");
                break;

            case Behaviour::chunked:
            case Behaviour::cutChunked:
            case Behaviour::stallChunked:
            {
                const bool cut = route.behaviour != Behaviour::chunked;
                const bool stall = route.behaviour == Behaviour::stallChunked;
                response.set_chunked_content_provider ("application/octet-stream",
                    [this, body, half, cut, stall] (size_t offset, httplib::DataSink& sink)
                    {
                        const auto end = cut ? half : body->size();

                        if (offset >= end)
                        {
                            if (stall)
                                waitUntilReleased();

                            if (cut)
                                return false;

                            sink.done();
                            return true;
                        }

                        const auto count = std::min<size_t> (700, end - offset);
                        return sink.write (body->data() + offset, count);
                    });
                break;
            }

            case Behaviour::noLength:
                response.set_content_provider ("application/octet-stream",
                    [body] (size_t offset, httplib::DataSink& sink)
                    {
                        if (offset >= body->size())
                        {
                            sink.done();
                            return true;
                        }

                        const auto count = std::min<size_t> (700, body->size() - offset);
                        return sink.write (body->data() + offset, count);
                    });
                break;

            case Behaviour::cutShort:
            case Behaviour::stallBody:
            {
                const bool stall = route.behaviour == Behaviour::stallBody;
                response.set_content_provider (body->size(), "application/octet-stream",
                    [this, body, half, stall] (size_t offset, size_t, httplib::DataSink& sink)
                    {
                        if (offset < half)
                            return sink.write (body->data() + offset, half - offset);

                        if (stall)
                            waitUntilReleased();

                        return false;
                    });
                break;
            }

            case Behaviour::drip:
                response.set_content_provider (body->size(), "application/octet-stream",
                    [this, body] (size_t offset, size_t, httplib::DataSink& sink)
                    {
                        if (waitReleasedFor (100))
                            return false;

                        return sink.write (body->data() + offset, std::min<size_t> (16, body->size() - offset));
                    });
                break;

            case Behaviour::redirect:
                response.set_header ("Location", *body);
                break;

            case Behaviour::twoLengths:
                response.set_header ("Content-Length", std::to_string (body->size()));
                response.set_header ("Content-Length", "7");
                response.body = *body;
                break;

            case Behaviour::endless:
                response.set_content_provider ("application/octet-stream",
                    [this, body] (size_t, httplib::DataSink& sink)
                    {
                        const std::lock_guard<std::mutex> guard (lock);
                        return ! released && ! body->empty() && sink.write (body->data(), body->size());
                    });
                break;

            case Behaviour::stallHeaders:
                waitUntilReleased();
                response.status = 503;
                response.set_content ("released", "text/plain");
                break;
        }
    }
};

TestHttpServer::TestHttpServer() : impl (std::make_unique<Impl>())
{
    impl->server.set_keep_alive_max_count (1);
    impl->server.set_read_timeout (5);
    impl->server.set_write_timeout (5);
    impl->server.Get (".*", [this] (const httplib::Request& request, httplib::Response& response)
    {
        impl->handle (request, response);
    });
}

TestHttpServer::~TestHttpServer()
{
    stop();
}

bool TestHttpServer::start()
{
    impl->port = impl->server.bind_to_any_port ("127.0.0.1");

    if (impl->port <= 0)
        return false;

    impl->listener = std::thread ([this] { impl->server.listen_after_bind(); });

    for (int i = 0; i < 2000 && ! impl->server.is_running(); ++i)
        std::this_thread::sleep_for (std::chrono::milliseconds (10));

    return impl->server.is_running();
}

void TestHttpServer::stop()
{
    releaseStalls();

    if (impl->listener.joinable())
    {
        impl->server.stop();
        impl->listener.join();
    }
}

juce::String TestHttpServer::getBaseAddress() const
{
    return "http://127.0.0.1:" + juce::String (impl->port);
}

void TestHttpServer::serve (const juce::String& path, const juce::MemoryBlock& body, Behaviour behaviour, int status)
{
    const std::lock_guard<std::mutex> guard (impl->lock);
    impl->routes[path.toStdString()] = { std::string (static_cast<const char*> (body.getData()), body.getSize()),
                                         behaviour, status };
}

void TestHttpServer::serve (const juce::String& path, const juce::String& body, Behaviour behaviour, int status)
{
    serve (path, juce::MemoryBlock (body.toRawUTF8(), body.getNumBytesAsUTF8()), behaviour, status);
}

void TestHttpServer::redirect (const juce::String& path, const juce::String& location, int status)
{
    serve (path, location, Behaviour::redirect, status);
}

int TestHttpServer::getRequestCount (const juce::String& path) const
{
    const std::lock_guard<std::mutex> guard (impl->lock);
    auto found = impl->requestCounts.find (path.toStdString());
    return found == impl->requestCounts.end() ? 0 : found->second;
}

int TestHttpServer::getTotalRequestCount() const
{
    const std::lock_guard<std::mutex> guard (impl->lock);
    return impl->totalRequests;
}

bool TestHttpServer::waitForRequest (const juce::String& path, int timeoutMs) const
{
    std::unique_lock<std::mutex> guard (impl->lock);
    return impl->changed.wait_for (guard, std::chrono::milliseconds (timeoutMs), [this, &path]
    {
        auto found = impl->requestCounts.find (path.toStdString());
        return found != impl->requestCounts.end() && found->second > 0;
    });
}

void TestHttpServer::releaseStalls()
{
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        impl->released = true;
    }

    impl->changed.notify_all();
}
} // namespace morvane::test
