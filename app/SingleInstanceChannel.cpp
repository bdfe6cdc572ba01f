#include "SingleInstanceChannel.h"

#include <juce_events/juce_events.h>

namespace
{
constexpr juce::uint32 channelMagic = 0x4d6f7276; // "Morv"
const char* const anotherInstanceMessage = "another instance";
} // namespace

/** One end of the pipe: the listener in the running instance, or the sender of a later start. */
class SingleInstanceChannel::Connection : public juce::InterprocessConnection
{
public:
    explicit Connection (std::function<void()> onMessageToUse)
        : juce::InterprocessConnection (true, channelMagic),
          onMessage (std::move (onMessageToUse))
    {
    }

    ~Connection() override { disconnect(); }

    void connectionMade() override {}
    void connectionLost() override {}

    void messageReceived (const juce::MemoryBlock& message) override
    {
        if (message.toString() == anotherInstanceMessage && onMessage != nullptr)
            onMessage();
    }

private:
    std::function<void()> onMessage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Connection)
};

SingleInstanceChannel::SingleInstanceChannel (const juce::File& folderToUse)
    : folder (folderToUse)
{
}

SingleInstanceChannel::~SingleInstanceChannel()
{
    listener.reset();
    lock.reset();
}

static juce::String channelName (const juce::File& folder)
{
    return "Morvane-" + juce::String::toHexString (folder.getFullPathName().hashCode64());
}

bool SingleInstanceChannel::claim()
{
    auto candidate = std::make_unique<juce::InterProcessLock> (channelName (folder));

    if (! candidate->enter (0))
        return false;

    lock = std::move (candidate);

    // Without a folder for the pipe this instance still runs alone; it only cannot hear later starts.
    if (folder.createDirectory().wasOk())
    {
        listener = std::make_unique<Connection> ([this]
        {
            if (onAnotherInstance != nullptr)
                onAnotherInstance();
        });

        if (! listener->createPipe (folder.getChildFile (channelName (folder)).getFullPathName(), -1, false))
            listener.reset();
    }

    return true;
}

bool SingleInstanceChannel::signalRunningInstance (int timeoutMs)
{
    Connection sender (nullptr);
    const auto pipe = folder.getChildFile (channelName (folder)).getFullPathName();
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    // The running instance may have taken the lock a moment before it opened its pipe.
    while (! sender.connectToPipe (pipe, timeoutMs))
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;

        juce::Thread::sleep (50);
    }

    const juce::String text (anotherInstanceMessage);
    return sender.sendMessage (juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
}
