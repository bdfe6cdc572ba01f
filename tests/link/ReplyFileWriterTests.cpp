#include "ReplyFileWriter.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

namespace
{
juce::MidiMessage replyNumber (int n)
{
    std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x01, 0x74, 0x08, 0x45 };

    for (int i = 0; i < 159; ++i)
        bytes.push_back ((juce::uint8) ((n * 31 + i) & 0x7F));

    bytes.push_back (0xF7);
    return juce::MidiMessage (bytes.data(), (int) bytes.size());
}

juce::StringArray namesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());

    names.sort (false);
    return names;
}

TEST (ReplyFileWriter, ReplacesTheOlderFileOnlyWhenFinished)
{
    struct Case
    {
        const char* what;
        int replies;
        int feedEvery;      // replies added between two early writes; 0: none before finish
        bool finished;
        bool targetIsFolder;
    };

    const std::vector<Case> cases {
        { "fed while the replies arrive, past several flush steps", 15000, 700, true, false },
        { "fed once at the end", 300, 0, true, false },
        { "no replies at all", 0, 0, true, false },
        { "abandoned halfway (a failed request, a stopped thread)", 9000, 1000, false, false },
        { "a folder where the file should go", 500, 100, true, true },
    };

    for (const auto& c : cases)
    {
        const auto folder = juce::File::createTempFile ("morvane-writer");
        ASSERT_TRUE (folder.createDirectory()) << c.what;
        const auto target = folder.getChildFile ("250314-093005-All-Cab-Banks.syx");
        const juce::String older ("older backup");

        if (c.targetIsFolder)
            ASSERT_TRUE (target.getChildFile ("inside").create()) << c.what;
        else
            ASSERT_TRUE (target.replaceWithText (older)) << c.what;

        SysExRequest request;
        request.setExpectedReplies (c.replies + 1);
        juce::MemoryBlock expected;

        {
            ReplyFileWriter writer (target);
            EXPECT_TRUE (writer.isOk()) << c.what;

            for (int n = 0; n < c.replies; ++n)
            {
                const auto reply = replyNumber (n);
                request.addReply (reply);
                expected.append (reply.getRawData(), (size_t) reply.getRawDataSize());

                if (c.feedEvery > 0 && (n + 1) % c.feedEvery == 0)
                {
                    EXPECT_TRUE (writer.writeNewReplies (request)) << c.what;

                    if (! c.targetIsFolder)
                    {
                        EXPECT_EQ (target.loadFileAsString(), older) << c.what << ": replaced before it was complete";
                    }
                }
            }

            if (c.finished)
            {
                EXPECT_EQ (writer.finish (request), ! c.targetIsFolder) << c.what;
            }
        }

        if (c.targetIsFolder)
        {
            EXPECT_TRUE (target.getChildFile ("inside").existsAsFile()) << c.what;
        }
        else if (c.finished)
        {
            juce::MemoryBlock written;
            ASSERT_TRUE (target.loadFileAsData (written)) << c.what;
            EXPECT_EQ (written.getSize(), expected.getSize()) << c.what;
            EXPECT_TRUE (expected.isEmpty() || written == expected) << c.what;
        }
        else
        {
            EXPECT_EQ (target.loadFileAsString(), older) << c.what;
        }

        // No temporary file is ever left behind.
        EXPECT_EQ (namesIn (folder), juce::StringArray (target.getFileName())) << c.what;
        folder.deleteRecursively();
    }
}
} // namespace
