#include "ReplyFileWriter.h"

#include "SysExRequest.h"

namespace
{
    constexpr size_t streamBufferBytes = 16384;

    /** A stream that counts the bytes written through it into the file stream. */
    class CountingStream : public juce::OutputStream
    {
    public:
        CountingStream (juce::OutputStream& destinationToUse, juce::int64& countToUse)
            : destination (destinationToUse), count (countToUse)
        {
        }

        void flush() override                            { destination.flush(); }
        bool setPosition (juce::int64) override          { return false; }
        juce::int64 getPosition() override               { return destination.getPosition(); }

        bool write (const void* data, size_t size) override
        {
            if (! destination.write (data, size))
                return false;

            count += (juce::int64) size;
            return true;
        }

    private:
        juce::OutputStream& destination;
        juce::int64& count;
    };
} // namespace

ReplyFileWriter::ReplyFileWriter (const juce::File& targetFile)
    : target (targetFile)
{
    temporary = std::make_unique<juce::TemporaryFile> (target);
    stream = std::make_unique<juce::FileOutputStream> (temporary->getFile(), streamBufferBytes);
    failed = stream->failedToOpen();
}

ReplyFileWriter::~ReplyFileWriter()
{
    // Closed before the temporary file is deleted.
    stream.reset();
    temporary.reset();
}

bool ReplyFileWriter::writeNewReplies (const SysExRequest& request)
{
    if (! writeUpTo (request, request.getReplyCount()))
        return false;

    if (bytesWritten - bytesFlushed >= flushStepBytes)
    {
        stream->flush();
        bytesFlushed = bytesWritten;
        failed = stream->getStatus().failed();
    }

    return ! failed;
}

bool ReplyFileWriter::writeUpTo (const SysExRequest& request, int endReply)
{
    if (failed)
        return false;

    CountingStream counting (*stream, bytesWritten);

    if (! request.writeRepliesTo (counting, repliesWritten, endReply))
    {
        failed = true;
        return false;
    }

    repliesWritten = juce::jmax (repliesWritten, endReply);
    return true;
}

bool ReplyFileWriter::finish (const SysExRequest& request)
{
    if (! writeUpTo (request, request.getReplyCount()))
        return false;

    stream->flush();
    failed = stream->getStatus().failed();
    stream.reset();

    // The stream's buffer flush does not report a short write (a full disk): check what landed.
    if (failed || temporary->getFile().getSize() != bytesWritten)
    {
        failed = true;
        return false;
    }

    return temporary->overwriteTargetFileWithTemporary();
}
