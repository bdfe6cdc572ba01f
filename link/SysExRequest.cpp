#include "SysExRequest.h"

#include "LinkClock.h"
#include "ReplyFileWriter.h"

namespace
{
const juce::uint8 placeholderMessage[] = { 0xF0, 0xF7 };

juce::File fileForPath (const juce::String& path)
{
    if (juce::File::isAbsolutePath (path))
        return juce::File (path);

    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}
} // namespace

SysExRequest::SysExRequest (const juce::MidiMessage& messageToSend)
    : message (messageToSend)
{
}

SysExRequest::SysExRequest (juce::uint32 timeout)
    : message (placeholderMessage, (int) sizeof (placeholderMessage), 0.0)
    , timeoutMs (timeout)
{
}

SysExRequest::~SysExRequest()
{
    // The worker may still be inside setInFlight, telling the listener of the retirement.
    const juce::ScopedLock sl (retireListenerLock);
}

void SysExRequest::setMessage (const juce::MidiMessage& newMessage)
{
    message = newMessage;
}

void SysExRequest::setProgramChangeMessage()
{
    const auto programChange = juce::MidiMessage::programChange (1, 0);
    message = programChange; // a copy: the framework's move assignment leaks the old message
    expectedReplies = 0;
}

juce::uint8 SysExRequest::getFunctionId() const noexcept
{
    const auto* data = message.getRawData();

    if (message.getRawDataSize() >= 6 && data[0] == 0xF0)
        return data[5];

    return 0;
}

void SysExRequest::setInFlight (bool isInFlight)
{
    // A client may delete the request as soon as it sees it retired, that is once the flag is
    // clear. So the flag is cleared, and the listener told, under the listener's lock, which the
    // destructor takes too: a deletion waits until the worker has let go of the request.
    const juce::ScopedLock sl (retireListenerLock);

    {
        const juce::ScopedLock fl (inFlightLock);
        inFlight = isInFlight ? 1 : 0;
    }

    if (! isInFlight && retireListener != nullptr)
        retireListener();
}

void SysExRequest::setRetireListener (std::function<void()> listener)
{
    const juce::ScopedLock sl (retireListenerLock);
    retireListener = std::move (listener);
}

void SysExRequest::setArrivalListener (std::function<void()> listener)
{
    const juce::ScopedLock sl (retireListenerLock);
    arrivalListener = std::move (listener);
}

void SysExRequest::setState (int newState)
{
    const juce::ScopedLock sl (stateLock);
    state = newState;
}

void SysExRequest::markSent()
{
    const auto now = LinkClock::now();
    const juce::ScopedLock sl (timeLock);
    sentAt = now;
    lastActivity = now;
    wasSent = true;
}

bool SysExRequest::addReply (const juce::MidiMessage& reply)
{
    return keepReply ([&] { replies.add (reply); });
}

bool SysExRequest::addReply (const ReplyStore::SharedBytes& block, size_t offset, int size)
{
    return keepReply ([&] { replies.addShared (block, offset, size); });
}

template <typename KeepFn>
bool SysExRequest::keepReply (KeepFn&& keep)
{
    {
        const juce::ScopedLock sl (stateLock);

        if (state == complete)
            return false;
    }

    bool completes = false;
    bool anotherStep = false;

    {
        const juce::ScopedLock sl (repliesLock);
        const auto stepsBefore = replies.getTotalBytes() / arrivalStepBytes;
        keep();
        anotherStep = replies.getTotalBytes() / arrivalStepBytes != stepsBefore;
        const auto now = LinkClock::now();

        // A start or status reply may lower the expectation below what has already arrived (a
        // refused 0x1F request after other replies): reaching or passing it completes the request.
        completes = (juce::int32) replies.size() >= expectedReplies.load();

        if (completes)
            setState (complete);

        const juce::ScopedLock tl (timeLock);
        (completes ? completedAt : lastActivity) = now;
    }

    // Told outside the replies lock, so that the listener may read the replies.
    if (anotherStep)
    {
        const juce::ScopedLock sl (retireListenerLock);

        if (arrivalListener != nullptr)
            arrivalListener();
    }

    return completes;
}

bool SysExRequest::checkTimeout()
{
    const auto now = LinkClock::now();

    {
        const juce::ScopedLock sl (stateLock);

        if (state == complete)
            return false;
    }

    const juce::ScopedLock tl (timeLock);

    if (wasSent && millisecondsBetween (now, lastActivity) > timeoutMs)
    {
        setState (failed);
        return true;
    }

    return false;
}

int SysExRequest::getState() const
{
    {
        const juce::ScopedLock sl (inFlightLock);

        if (inFlight != 0)
            return pending;
    }

    const juce::ScopedLock sl (stateLock);
    return state;
}

int SysExRequest::getReplyCount() const
{
    const juce::ScopedLock sl (repliesLock);
    return (int) replies.size();
}

bool SysExRequest::getReply (int n, juce::MidiMessage& out) const
{
    const juce::ScopedLock sl (repliesLock);
    return replies.get (n, out);
}

void SysExRequest::appendRepliesTo (juce::MemoryBlock& block) const
{
    for (int n = 0;; ++n)
    {
        juce::MidiMessage reply;

        if (! getReply (n, reply))
            break;

        if (reply.getRawDataSize() > 0)
            block.append (reply.getRawData(), (size_t) reply.getRawDataSize());
    }
}

bool SysExRequest::writeRepliesToFile (const juce::String& path) const
{
    if (path.isEmpty())
        return false;

    const auto target = fileForPath (path);
    const auto folder = target.getParentDirectory();

    if (! folder.isDirectory())
        folder.createDirectory(); // a failure shows when the file is opened

    if (target.isDirectory())
        return false;

    return getAppendToFile() ? writeByAppending (target) : writeByReplacing (target);
}

juce::int64 SysExRequest::getRepliesSize() const
{
    const juce::ScopedLock sl (repliesLock);
    return replies.getTotalBytes();
}

bool SysExRequest::writeRepliesTo (juce::OutputStream& stream, int firstReply, int endReply) const
{
    // The replies' bytes never move or change once stored: where they lie is looked up under
    // the lock a batch at a time, and they are written outside it, so the link worker can go on
    // adding replies meanwhile. The dump is never copied whole.
    constexpr int batchSize = 1024;
    std::vector<std::pair<const juce::uint8*, int>> batch;
    batch.reserve ((size_t) batchSize);

    for (int n = juce::jmax (0, firstReply); n < endReply;)
    {
        batch.clear();

        {
            const juce::ScopedLock sl (repliesLock);
            const auto end = juce::jmin (endReply, replies.size(), n + batchSize);

            for (; n < end; ++n)
            {
                int size = 0;
                const auto* data = replies.getData (n, size);
                batch.emplace_back (data, size);
            }
        }

        if (batch.empty())
            break;  // no such replies (yet)

        for (const auto& [data, size] : batch)
            if (size > 0 && ! stream.write (data, (size_t) size))
                return false;
    }

    return true;
}

bool SysExRequest::writeByReplacing (const juce::File& target) const
{
    // The replies go into a file beside the target that takes its place only when complete,
    // so a failed write never destroys an older backup.
    ReplyFileWriter writer (target);
    return writer.finish (*this);
}

bool SysExRequest::writeByAppending (const juce::File& target) const
{
    const bool existed = target.existsAsFile();
    const auto oldSize = existed ? target.getSize() : (juce::int64) 0;
    const auto size = getRepliesSize();
    bool written = false;

    {
        juce::FileOutputStream stream (target, 16384);

        if (stream.failedToOpen())
            return false;

        written = writeRepliesTo (stream, 0, getReplyCount());
        stream.flush();
        written = written && stream.getStatus().wasOk();
    }

    // The stream's buffer flush does not report a short write (a full disk): check what landed.
    written = written && target.getSize() == oldSize + size;

    if (! written)
    {
        // Leave the older content as it was rather than with a partial tail.
        if (existed)
        {
            juce::FileOutputStream restore (target);

            if (restore.openedOk() && restore.setPosition (oldSize))
                restore.truncate();
        }
        else
        {
            target.deleteFile();
        }
    }

    return written;
}

juce::uint32 SysExRequest::getSentAt() const
{
    const juce::ScopedLock sl (timeLock);
    return sentAt;
}

juce::uint32 SysExRequest::getCompletedAt() const
{
    const juce::ScopedLock sl (timeLock);
    return completedAt;
}

juce::uint32 SysExRequest::getLastActivity() const
{
    const juce::ScopedLock sl (timeLock);
    return lastActivity;
}
