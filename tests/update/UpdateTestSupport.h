#pragma once

#include "TestHttpServer.h"
#include "UpdateServer.h"

#include <gtest/gtest.h>

namespace morvane::test
{
/** Waits, without the message loop, until the condition holds; false at the deadline. */
inline bool waitFor (const std::function<bool()>& condition, int timeoutMs = 30000)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return condition();

        juce::Thread::sleep (5);
    }

    return true;
}

/** A fixture with a running local update server that every feed address points at, and short
    network time-outs so that stalls end soon.
*/
class LocalServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (server.start());
        UpdateServer::setBaseAddress (server.getBaseAddress());
        UpdateServer::setTimeoutMs (2000);
    }

    void TearDown() override
    {
        server.stop();
        UpdateServer::setBaseAddress ({});
        UpdateServer::setTimeoutMs (15000);
        UpdateServer::setCheckDeadlineMs (30000);
    }

    juce::URL url (const juce::String& path) const { return juce::URL (server.getBaseAddress() + path); }

    TestHttpServer server;
};

/** Bytes 0, 1, 2, ... of the given size. */
inline juce::MemoryBlock patternBytes (size_t size)
{
    juce::MemoryBlock block (size);

    for (size_t i = 0; i < size; ++i)
        static_cast<juce::uint8*> (block.getData())[i] = (juce::uint8) (i * 7 + 3);

    return block;
}
/** A stand-in installer: "MZ", as every Windows program starts, then the pattern. */
inline juce::MemoryBlock installerBytes (size_t size)
{
    auto block = patternBytes (size);
    static_cast<char*> (block.getData())[0] = 'M';
    static_cast<char*> (block.getData())[1] = 'Z';
    return block;
}
} // namespace morvane::test
