#include "IncomingMessageLog.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace
{
std::vector<juce::uint8> messageOf (size_t size, int seed)
{
    std::vector<juce::uint8> bytes (size);

    for (size_t i = 0; i < size; ++i)
        bytes[i] = (juce::uint8) ((i * 7 + (size_t) seed) & 0x7F);

    if (size > 0)
        bytes.front() = 0xF0;

    return bytes;
}

std::vector<std::vector<juce::uint8>> bytesOf (const std::vector<IncomingMessageLog::Range>& ranges)
{
    std::vector<std::vector<juce::uint8>> messages;
    IncomingMessageLog::forEachMessage (ranges, [&messages] (const IncomingMessageLog::Message& message)
    {
        messages.emplace_back (message.getData(), message.getData() + message.size);
    });
    return messages;
}

TEST (IncomingMessageLog, HandsOverEveryMessageWholeAndInOrderWhenEverItIsTaken)
{
    struct Case
    {
        const char* what;
        std::vector<size_t> sizes;
        int takeEvery;   // take after this many appends; 0 only at the end
    };

    const auto big = IncomingMessageLog::blockBytes;
    const std::vector<Case> cases {
        { "nothing", {}, 0 },
        { "short messages filling several blocks, taken at the end", std::vector<size_t> (2000, 165), 0 },
        { "short messages taken one by one", std::vector<size_t> (900, 165), 1 },
        { "short messages taken in uneven batches", std::vector<size_t> (1500, 165), 37 },
        { "a message longer than a block between short ones", { 10, big * 2 + 5, 10, 3 }, 0 },
        { "a message longer than a block taken alone", { 10, big * 3, 10 }, 1 },
        { "a message that just fills the rest of a block", { big - 4 - 104, 100, 1 }, 0 },
        { "empty and one-byte messages", { 0, 1, 0, 1 }, 2 },
    };

    for (const auto& c : cases)
    {
        IncomingMessageLog log;
        std::vector<IncomingMessageLog::Range> taken;
        std::vector<std::vector<juce::uint8>> expected;

        for (size_t i = 0; i < c.sizes.size(); ++i)
        {
            expected.push_back (messageOf (c.sizes[i], (int) i));
            log.append (expected.back().data(), (int) expected.back().size());
            EXPECT_FALSE (log.isEmpty()) << c.what;

            if (c.takeEvery > 0 && (int) (i + 1) % c.takeEvery == 0)
            {
                log.takeAll (taken);
                EXPECT_TRUE (log.isEmpty()) << c.what;
            }
        }

        log.takeAll (taken);
        EXPECT_TRUE (log.isEmpty()) << c.what;
        EXPECT_EQ (bytesOf (taken), expected) << c.what;

        // A second take finds nothing more.
        std::vector<IncomingMessageLog::Range> again;
        log.takeAll (again);
        EXPECT_TRUE (bytesOf (again).empty()) << c.what;
    }
}

TEST (IncomingMessageLog, TakenMessagesStayIntactWhileMoreArriveAndAfterTheLogIsGone)
{
    std::vector<IncomingMessageLog::Range> taken;
    std::vector<std::vector<juce::uint8>> expected;

    {
        IncomingMessageLog log;

        for (int i = 0; i < 10; ++i)
        {
            expected.push_back (messageOf (165, i));
            log.append (expected.back().data(), (int) expected.back().size());
        }

        log.takeAll (taken);

        // Later messages go into the same block behind the taken ones, and into new blocks.
        for (int i = 0; i < 3000; ++i)
        {
            const auto later = messageOf (170, 1000 + i);
            log.append (later.data(), (int) later.size());
        }

        EXPECT_EQ (bytesOf (taken), expected);
    }

    EXPECT_EQ (bytesOf (taken), expected);
}

TEST (IncomingMessageLog, ADriverThreadAppendsWhileTheWorkerTakes)
{
    // As MidiPortManager uses it: both sides under one lock, the bytes read outside it.
    IncomingMessageLog log;
    std::mutex lock;
    constexpr int count = 20000;

    std::thread driver ([&]
    {
        for (int i = 0; i < count; ++i)
        {
            const auto message = messageOf ((size_t) (6 + i % 300), i);
            const std::lock_guard<std::mutex> guard (lock);
            log.append (message.data(), (int) message.size());
        }
    });

    int next = 0;
    bool inOrder = true;

    while (next < count)
    {
        std::vector<IncomingMessageLog::Range> taken;

        {
            const std::lock_guard<std::mutex> guard (lock);
            log.takeAll (taken);
        }

        for (const auto& message : bytesOf (taken))
        {
            if (message != messageOf ((size_t) (6 + next % 300), next))
                inOrder = false;

            ++next;
        }

        std::this_thread::yield();
    }

    driver.join();
    EXPECT_TRUE (inOrder);
    EXPECT_EQ (next, count);
}
} // namespace
