#include "SingleInstanceChannel.h"

#include "RegularFileReader.h"

#include <juce_events/juce_events.h>

#include <atomic>

namespace
{
constexpr juce::uint32 channelMagic = 0x4d6f7276; // "Morv"
const char* const anotherInstanceMessage = "another instance";
const char* const lockFileName = "Morvane.lock";

// The lock file holds one path; anything longer is not ours.
constexpr juce::int64 maximumLockFileBytes = 4096;
} // namespace

/** One end of the pipe: the sender of a later start (and, where pipes are not files, the
    listener of the running instance).
*/
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

#if ! JUCE_WINDOWS
/** The running instance's end of the pipe. JUCE's pipe reader looks for input every 30 ms for
    as long as it listens; here the pipe is read as the file it is, by a thread that sleeps in
    the read until a later start writes, so an idle program is never woken. The messages are
    those of InterprocessConnection (magic number, size, bytes). Closing the pipe writes one
    byte into it, which wakes the thread to end.
*/
class SingleInstanceChannel::Listener : private juce::Thread,
                                        private juce::AsyncUpdater
{
public:
    Listener (const juce::String& pipePath, std::function<void()> onMessageToUse)
        : juce::Thread ("Instance pipe"),
          onMessage (std::move (onMessageToUse))
    {
        // The pipe keeps a reader and writer of its own open, so opening it here never waits.
        if (pipe.createNewPipe (pipePath, false))
            input = std::make_unique<juce::FileInputStream> (juce::File (pipePath + "_in"));

        if (input != nullptr && input->openedOk())
            startThread();
    }

    ~Listener() override
    {
        signalThreadShouldExit();
        pipe.close();
        stopThread (stopTimeoutMs);
        cancelPendingUpdate();
    }

    bool isListening() const { return isThreadRunning(); }

private:
    static constexpr int stopTimeoutMs = 2000;
    static constexpr juce::uint32 maximumMessageBytes = 4096;

    /** Reads exactly size bytes; false at an error or once the channel closes. */
    bool readExactly (void* destination, int size)
    {
        auto* bytes = static_cast<char*> (destination);

        while (size > 0)
        {
            const auto count = input->read (bytes, size);

            if (count <= 0 || threadShouldExit())
                return false;

            bytes += count;
            size -= count;
        }

        return true;
    }

    void run() override
    {
        for (;;)
        {
            juce::uint32 header[2] = {};

            if (! readExactly (header, (int) sizeof (header)))
                return;

            const auto size = juce::ByteOrder::swapIfBigEndian (header[1]);

            if (size > maximumMessageBytes)
                continue;

            juce::MemoryBlock message (size);

            if (size > 0 && ! readExactly (message.getData(), (int) size))
                return;

            // Another program's message is read to its end and dropped.
            if (juce::ByteOrder::swapIfBigEndian (header[0]) == channelMagic && message.toString() == anotherInstanceMessage)
            {
                ++pendingMessages;
                triggerAsyncUpdate();
            }
        }
    }

    void handleAsyncUpdate() override
    {
        for (auto count = pendingMessages.exchange (0); count > 0; --count)
            if (onMessage != nullptr)
                onMessage();
    }

    std::function<void()> onMessage;
    juce::NamedPipe pipe;
    std::unique_ptr<juce::FileInputStream> input;
    std::atomic<int> pendingMessages { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Listener)
};
#else
/** Where a pipe is not a file, the running instance listens with JUCE's own pipe reader. */
class SingleInstanceChannel::Listener
{
public:
    Listener (const juce::String& pipePath, std::function<void()> onMessage)
        : connection (std::move (onMessage))
    {
        listening = connection.createPipe (pipePath, -1, false);
    }

    bool isListening() const { return listening; }

private:
    Connection connection;
    bool listening = false;
};
#endif

SingleInstanceChannel::SingleInstanceChannel (const juce::File& settingsFolderToUse, const juce::File& runtimeFolderToUse)
    : settingsFolder (settingsFolderToUse),
      runtimeFolder (runtimeFolderToUse),
      name ("Morvane-" + juce::String::toHexString (settingsFolderToUse.getFullPathName().hashCode64()))
{
}

SingleInstanceChannel::~SingleInstanceChannel()
{
    listener.reset();
    lock.reset();
}

juce::File SingleInstanceChannel::getLockFile() const
{
    return settingsFolder.getChildFile (lockFileName);
}

juce::String SingleInstanceChannel::getPipePath() const
{
    return runtimeFolder == juce::File() ? juce::String() : runtimeFolder.getChildFile (name).getFullPathName();
}

SingleInstanceChannel::Claim SingleInstanceChannel::claim()
{
    claimError.clear();
    const auto made = settingsFolder.createDirectory();

    if (made.failed())
    {
        claimError = "Its folder could not be made: " + made.getErrorMessage();
        return Claim::failed;
    }

    lock = PlatformFiles::Lock::take (getLockFile(), &claimError);

    if (lock == nullptr)
        return claimError.isEmpty() ? Claim::heldElsewhere : Claim::failed;

    const auto pipe = getPipePath();

    // Without a runtime folder of its own this instance runs alone; it only cannot hear later starts.
    if (pipe.isEmpty() || ! runtimeFolder.createDirectory().wasOk())
    {
        lock->replaceContent ({});
        return Claim::claimed;
    }

    // Pipes left behind by an instance that crashed: nobody listens on them any more, as this
    // process holds the lock now, and whatever stands there is made again.
    juce::File (pipe + "_in").deleteFile();
    juce::File (pipe + "_out").deleteFile();

    listener = std::make_unique<Listener> (pipe, [this]
    {
        if (onAnotherInstance != nullptr)
            onAnotherInstance();
    });

    if (! listener->isListening())
        listener.reset();

    // A later start whose environment names another runtime folder finds the pipe here.
    lock->replaceContent (listener != nullptr ? pipe : juce::String());
    return Claim::claimed;
}

juce::String SingleInstanceChannel::findRunningInstancePipe() const
{
    juce::MemoryBlock data;

    if (RegularFileReader::read (getLockFile(), maximumLockFileBytes, data) == RegularFileReader::Outcome::read)
    {
        const auto named = data.toString().trim();

        // Only this channel's own pipe, in a folder that nobody else may enter, is written to.
        if (juce::File::isAbsolutePath (named))
        {
            const juce::File pipe (named);

            if (pipe.getFileName() == name && PlatformFiles::isPrivateFolder (pipe.getParentDirectory()))
                return named;
        }
    }

    return getPipePath();
}

bool SingleInstanceChannel::signalRunningInstance (int timeoutMs)
{
    Connection sender (nullptr);
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    // The running instance may have taken the lock a moment before it opened its pipe and named
    // it in the lock file.
    for (;;)
    {
        const auto pipe = findRunningInstancePipe();

        if (pipe.isNotEmpty() && sender.connectToPipe (pipe, timeoutMs))
            break;

        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;

        juce::Thread::sleep (50);
    }

    const juce::String text (anotherInstanceMessage);
    return sender.sendMessage (juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
}
