#include "DownloadResult.h"
#include "TPXAutoUpdateDownloadThread.h"
#include "TPXFirmwareUpdateDownloadThread.h"
#include "UpdateFeedReader.h"
#include "UpdateTestSupport.h"

using namespace morvane::test;
using Behaviour = TestHttpServer::Behaviour;

namespace
{
class Downloads : public LocalServerTest
{
protected:
    void SetUp() override
    {
        LocalServerTest::SetUp();
        // A name of its own: the suite's tests run in parallel processes.
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getChildFile ("morvane-downloads-" + juce::Uuid().toString());
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override
    {
        folder.deleteRecursively();
        LocalServerTest::TearDown();
    }

    static bool waitForEnd (juce::Thread& thread) { return waitFor ([&] { return ! thread.isThreadRunning(); }); }

    juce::File folder;
    std::atomic<double> progress { 0.0 };
};

const auto body = patternBytes (5000);
} // namespace

TEST_F (Downloads, FirmwareArrivesWholeOnlyWhenTheServerDeliversItWhole)
{
    struct Case { const char* name; Behaviour behaviour; int status; juce::MemoryBlock served; int result; };
    const Case cases[] = {
        { "length", Behaviour::normal, 200, body, DownloadResult::complete },
        { "chunked", Behaviour::chunked, 200, body, DownloadResult::complete },
        { "no length", Behaviour::noLength, 200, body, DownloadResult::complete },
        { "cut short", Behaviour::cutShort, 200, body, DownloadResult::failed },
        { "cut chunked", Behaviour::cutChunked, 200, body, DownloadResult::failed },
        { "not found", Behaviour::normal, 404, juce::MemoryBlock ("<html>gone</html>", 17), DownloadResult::failed },
        { "server error", Behaviour::normal, 500, juce::MemoryBlock ("<html>oops</html>", 17), DownloadResult::failed },
        { "empty", Behaviour::normal, 200, juce::MemoryBlock(), DownloadResult::failed },
        { "empty chunked", Behaviour::chunked, 200, juce::MemoryBlock(), DownloadResult::failed },
        { "stalled", Behaviour::stallBody, 200, body, DownloadResult::failed },   // the idle time-out ends it
    };

    for (const auto& c : cases)
    {
        const juce::String path = "/fw/" + juce::String (c.name).replace (" ", "-") + ".syx";
        server.serve (path, c.served, c.behaviour, c.status);

        progress = 0.0;
        TPXFirmwareUpdateDownloadThread thread (url (path), &progress);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.name;
        EXPECT_EQ (thread.getResult(), c.result) << c.name;

        juce::MemoryBlock copy;
        EXPECT_EQ (thread.copyDownloadedData (copy), c.result == DownloadResult::complete) << c.name;

        if (c.result == DownloadResult::complete)
        {
            EXPECT_EQ (copy, body) << c.name;
            EXPECT_DOUBLE_EQ (progress.load(), 1.0) << c.name;
        }
    }
}

TEST_F (Downloads, NoServerOrAnAddressThatIsNotTheWebIsADownloadError)
{
    const auto local = folder.getChildFile ("local.syx");
    ASSERT_TRUE (local.replaceWithData (body.getData(), body.getSize()));

    // Port 1 has no listener here, and unlike a port freed by a test it is not handed out again.
    for (auto address : { juce::URL ("http://127.0.0.1:1/fw.syx"), juce::URL (local), juce::URL ("ftp://127.0.0.1:1/fw.syx") })
    {
        TPXFirmwareUpdateDownloadThread thread (address, &progress);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << address.toString (false);
        EXPECT_EQ (thread.getResult(), DownloadResult::failed) << address.toString (false);
    }

    EXPECT_EQ (UpdateFeedReader::readNotes (juce::URL (local), "none"), "none");
}

TEST_F (Downloads, CancelIsHonouredWhileConnectingAndWhileABodyOfAnyLengthStalls)
{
    UpdateServer::setTimeoutMs (60000);   // only the cancel can end these
    server.serve ("/headers.syx", body, Behaviour::stallHeaders);
    server.serve ("/body.syx", body, Behaviour::stallBody);
    server.serve ("/chunks.syx", body, Behaviour::stallChunked);

    for (auto path : { "/headers.syx", "/body.syx", "/chunks.syx" })
    {
        TPXFirmwareUpdateDownloadThread thread (url (path), &progress);
        thread.startThread();
        ASSERT_TRUE (server.waitForRequest (path)) << path;
        thread.cancel();
        ASSERT_TRUE (waitForEnd (thread)) << path;
        EXPECT_EQ (thread.getResult(), DownloadResult::cancelled) << path;

        juce::MemoryBlock copy;
        EXPECT_FALSE (thread.copyDownloadedData (copy)) << path;
    }
}

TEST_F (Downloads, CancelBeforeTheStartAndDeletionMidReadEndPromptly)
{
    UpdateServer::setTimeoutMs (60000);
    server.serve ("/stall.syx", body, Behaviour::stallBody);

    {
        TPXFirmwareUpdateDownloadThread thread (url ("/stall.syx"), &progress);
        thread.cancel();
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread));
        EXPECT_EQ (thread.getResult(), DownloadResult::cancelled);
    }

    // Deleting the owner while the thread waits for bytes aborts the read instead of killing it.
    auto thread = std::make_unique<TPXAutoUpdateDownloadThread> (url ("/stall.syx"), folder.getChildFile ("a.exe"), &progress);
    thread->startThread();
    ASSERT_TRUE (server.waitForRequest ("/stall.syx"));
    thread.reset();
    EXPECT_FALSE (folder.getChildFile ("a.exe").exists());
}

TEST_F (Downloads, TheSizeCapRefusesAnnouncedAndUnannouncedOversizeBodies)
{
    server.serve ("/big.syx", body);
    server.serve ("/big-chunked.syx", body, Behaviour::chunked);

    for (auto path : { "/big.syx", "/big-chunked.syx" })
    {
        TPXFirmwareUpdateDownloadThread thread (url (path), &progress, 4096);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << path;
        EXPECT_EQ (thread.getResult(), DownloadResult::failed) << path;
    }
}

TEST_F (Downloads, CopyDownloadedDataGrowsASmallerBlockAndKeepsALargerOnesTail)
{
    server.serve ("/fw.syx", body);
    TPXFirmwareUpdateDownloadThread thread (url ("/fw.syx"), &progress);
    thread.startThread();
    ASSERT_TRUE (waitForEnd (thread));

    juce::MemoryBlock empty, larger (body.getSize() + 10, true);
    larger[body.getSize() + 9] = 0x55;

    ASSERT_TRUE (thread.copyDownloadedData (empty));
    EXPECT_EQ (empty, body);

    ASSERT_TRUE (thread.copyDownloadedData (larger));
    EXPECT_EQ (larger.getSize(), body.getSize() + 10);
    EXPECT_EQ (memcmp (larger.getData(), body.getData(), body.getSize()), 0);
    EXPECT_EQ ((juce::uint8) larger[body.getSize() + 9], 0x55);
}

TEST_F (Downloads, TheInstallerIsWrittenWholeOrNotAtAll)
{
    struct Case { const char* name; Behaviour behaviour; int status; bool existingFolder; int result; };
    const Case cases[] = {
        { "ok", Behaviour::normal, 200, false, DownloadResult::complete },
        { "replaces", Behaviour::normal, 200, false, DownloadResult::complete },
        { "cut", Behaviour::cutShort, 200, false, DownloadResult::failed },
        { "missing", Behaviour::normal, 404, false, DownloadResult::failed },
        { "folder", Behaviour::normal, 200, true, DownloadResult::writeFailed },
    };

    for (const auto& c : cases)
    {
        const juce::String path = juce::String ("/dl/") + c.name;
        server.serve (path, body, c.behaviour, c.status);

        const auto target = folder.getChildFile (juce::String (c.name) + ".exe");

        if (c.existingFolder)
        {
            ASSERT_TRUE (target.createDirectory());
        }

        if (juce::String (c.name) == "replaces" || juce::String (c.name) == "cut")
        {
            ASSERT_TRUE (target.replaceWithText ("old installer"));
        }

        TPXAutoUpdateDownloadThread thread (url (path), target, &progress);
        EXPECT_EQ (thread.getTargetPath(), target.getFullPathName());
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.name;
        EXPECT_EQ (thread.getResult(), c.result) << c.name;

        juce::MemoryBlock written;

        if (c.result == DownloadResult::complete)
        {
            ASSERT_TRUE (target.loadFileAsData (written)) << c.name;
            EXPECT_EQ (written, body) << c.name;
        }
        else if (c.existingFolder)
        {
            EXPECT_TRUE (target.isDirectory()) << c.name;
        }
        else if (juce::String (c.name) == "cut")
        {
            EXPECT_EQ (target.loadFileAsString(), "old installer") << c.name;   // never a partial file
        }
        else
        {
            EXPECT_FALSE (target.exists()) << c.name;
        }

        // Nothing half-written is left beside the target.
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*temp*"), 0);
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles, ".*"), 0) << c.name;
    }
}

TEST_F (Downloads, FeedAndNotesReadsAcceptOnlyWholeSuccessfulReplies)
{
    const juce::String feed = R"(<FEED><VERSION major="3"/></FEED>)";
    server.serve ("/feed.xml", feed);
    server.serve ("/feed-404.xml", feed, Behaviour::normal, 404);
    server.serve ("/feed-cut.xml", feed, Behaviour::cutShort);
    server.serve ("/feed-big.xml", juce::String::repeatedString ("x", UpdateFeedReader::maxFeedBytes + 1));
    server.serve ("/feed-overlong.xml", juce::MemoryBlock ("<FEED a=\"\xC0\x80\"><VERSION major=\"3\"/></FEED>", 40));
    server.serve ("/notes-cut-utf8.txt", juce::MemoryBlock ("Fixed \xE2\x82", 8));
    server.serve ("/notes.txt", "Fixed things.", Behaviour::chunked);
    server.serve ("/notes.html", "<!DOCTYPE html><html><body>Sign in</body></html>");
    server.serve ("/notes-500.txt", "Fixed things.", Behaviour::normal, 500);

    struct Case { const char* path; bool feedRead; };
    const Case feeds[] = { { "/feed.xml", true }, { "/feed-404.xml", false }, { "/feed-cut.xml", false },
                           { "/feed-big.xml", false }, { "/absent.xml", false }, { "/feed-overlong.xml", false } };

    for (const auto& c : feeds)
        EXPECT_EQ (UpdateFeedReader::readFeed (url (c.path)) != nullptr, c.feedRead) << c.path;

    struct Notes { const char* path; const char* text; };
    const Notes notes[] = { { "/notes.txt", "Fixed things." }, { "/notes.html", "none" }, { "/notes-500.txt", "none" },
                            { "/notes-cut-utf8.txt", "none" } };

    for (const auto& c : notes)
        EXPECT_EQ (UpdateFeedReader::readNotes (url (c.path), "none"), c.text) << c.path;

    EXPECT_EQ (UpdateFeedReader::readNotes ({}, "none"), "none");
}
