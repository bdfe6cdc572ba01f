#include "ReplyFileWriter.h"

#include "SysExRequest.h"

namespace
{
    /** Gathers the replies' small writes into few large ones to the file. */
    class GatheringStream : public juce::OutputStream
    {
    public:
        explicit GatheringStream (DurableFile& fileToWrite) : file (fileToWrite) {}

        void flush() override
        {
            if (buffer.getDataSize() > 0)
                ok = file.write (buffer.getData(), buffer.getDataSize()) && ok;

            buffer.reset();
        }

        bool write (const void* data, size_t size) override
        {
            buffer.write (data, size);

            if (buffer.getDataSize() >= gatherBytes)
                flush();

            return ok;
        }

        bool setPosition (juce::int64) override { return false; }
        juce::int64 getPosition() override { return file.getBytesWritten() + (juce::int64) buffer.getDataSize(); }

        bool ok = true;

    private:
        static constexpr size_t gatherBytes = 16384;
        DurableFile& file;
        juce::MemoryOutputStream buffer;
    };
} // namespace

ReplyFileWriter::ReplyFileWriter (const juce::File& targetFile, std::shared_ptr<HeldFolder> folder)
    : target (targetFile)
{
    if (folder == nullptr)
        folder = HeldFolder::open (target.getParentDirectory());

    file = std::make_unique<DurableFile> (std::move (folder), target.getFileName());
    failed = ! file->isOk();
}

ReplyFileWriter::~ReplyFileWriter() = default;

bool ReplyFileWriter::writeNewReplies (const SysExRequest& request)
{
    if (! writeUpTo (request, request.getReplyCount()))
        return false;

    if (file->getBytesWritten() - bytesFlushed >= flushStepBytes)
    {
        failed = ! file->sync();
        bytesFlushed = file->getBytesWritten();
    }

    return ! failed;
}

bool ReplyFileWriter::writeUpTo (const SysExRequest& request, int endReply)
{
    if (failed)
        return false;

    GatheringStream stream (*file);
    const bool wrote = request.writeRepliesTo (stream, repliesWritten, endReply);
    stream.flush();

    if (! wrote || ! stream.ok)
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

    failed = file->putInPlace (target.getFileName(), DurableFile::Replace::olderFile) != DurableFile::Outcome::ok;
    return ! failed;
}
