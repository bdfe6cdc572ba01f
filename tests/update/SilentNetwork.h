#pragma once

#include "UpdateHttpConnection.h"

#include <atomic>
#include <memory>

namespace morvane::test
{
/** A network whose name look-up never answers, standing in for every connection the update
    service makes while it exists: connecting waits, and so do aborting and closing a connection,
    as the framework's curl stream waits for its resolver there.

    The wait ends when the object goes (so the threads it held end before the test does), or after
    giveUpMs, as a resolver gives up at last.
*/
class SilentNetwork
{
public:
    explicit SilentNetwork (int giveUpMs = 8000) : gate (std::make_shared<Gate>())
    {
        gate->giveUpMs = giveUpMs;
        install (gate);
    }

    /** From now on every connection waits for good (for a process that must end with such a
        thread still stuck).
    */
    static void neverAnswer()
    {
        auto forever = std::make_shared<Gate>();
        forever->giveUpMs = -1;
        install (forever);
    }

    ~SilentNetwork()
    {
        UpdateHttpConnection::setFactory ({});
        gate->answer.signal();
    }

    /** How many connections have begun to wait for their name. */
    int getConnectsStarted() const noexcept { return gate->connects.load(); }

private:
    struct Gate
    {
        juce::WaitableEvent answer { true };
        std::atomic<int> connects { 0 };
        int giveUpMs = 0;

        void hang() { answer.wait (giveUpMs < 0 ? -1 : giveUpMs); }
    };

    struct Silent : UpdateHttpConnection
    {
        explicit Silent (std::shared_ptr<Gate> g) : gate (std::move (g)) {}
        ~Silent() override { gate->hang(); }

        bool connect() override
        {
            ++gate->connects;
            gate->hang();
            return false;
        }

        int getStatusCode() override { return 0; }
        juce::StringArray getHeaderLines() override { return {}; }
        int read (void*, int) override { return -1; }
        bool isError() override { return true; }
        void cancel() override { gate->hang(); }

        std::shared_ptr<Gate> gate;
    };

    static void install (std::shared_ptr<Gate> held)
    {
        UpdateHttpConnection::setFactory ([held] (const juce::URL&, int) { return std::make_unique<Silent> (held); });
    }

    std::shared_ptr<Gate> gate;
};
} // namespace morvane::test
