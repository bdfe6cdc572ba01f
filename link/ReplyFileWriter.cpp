#include "ReplyFileWriter.h"

#include "SysExRequest.h"

namespace
{
    constexpr size_t streamBufferBytes = 16384;
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

    if (stream->getPosition() - bytesFlushed >= flushStepBytes)
    {
        stream->flush();
        bytesFlushed = stream->getPosition();
        failed = stream->getStatus().failed();
    }

    return ! failed;
}

bool ReplyFileWriter::writeUpTo (const SysExRequest& request, int endReply)
{
    if (failed)
        return false;

    if (! request.writeRepliesTo (*stream, repliesWritten, endReply))
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
    const auto bytesWritten = stream->getPosition();
    stream.reset();

    // The stream's buffer flush does not report a short write (a full disk): check what landed.
    if (failed || temporary->getFile().getSize() != bytesWritten)
    {
        failed = true;
        return false;
    }

    // A folder that went away is not waited for: the framework's replacement tries again for
    // most of half a second before it gives up.
    if (! target.getParentDirectory().isDirectory())
    {
        failed = true;
        return false;
    }

    return temporary->overwriteTargetFileWithTemporary();
}
