#include "DownloadResult.h"
#include "TPXAutoUpdateDownloadThread.h"
#include "TPXFirmwareUpdateDownloadThread.h"
#include "UpdateCurlConnection.h"
#include "UpdateFeedReader.h"
#include "UpdateTestSupport.h"

#include <algorithm>
#include <map>
#include <vector>

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

/** A server that writes its replies' heads by hand: every connection gets the same bytes. */
class RawReplyServer : private juce::Thread
{
public:
    explicit RawReplyServer (const juce::String& replyToSend) : juce::Thread ("Raw Replies"), reply (replyToSend)
    {
        listener.createListener (0, "127.0.0.1");
        startThread();
    }

    ~RawReplyServer() override
    {
        signalThreadShouldExit();
        listener.close();
        stopThread (10000);
    }

    juce::String getAddress() const { return "http://127.0.0.1:" + juce::String (listener.getBoundPort()); }

private:
    void run() override
    {
        while (! threadShouldExit())
        {
            std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());

            if (client == nullptr)
                return;

            char request[4096];
            client->read (request, (int) sizeof (request), false);
            client->write (reply.toRawUTF8(), (int) reply.getNumBytesAsUTF8());
        }
    }

    juce::StreamingSocket listener;
    const juce::String reply;
};

/** Stands for https servers, which the tests have none of: the connections to the scripted
    addresses answer from the script (status, header lines, body), every other goes out as usual.
*/
class ScriptedHttps
{
public:
    struct Reply { int status; juce::StringArray lines; juce::MemoryBlock body; };

    explicit ScriptedHttps (std::map<juce::String, Reply> script)
    {
        UpdateHttpConnection::setFactory ([script, shared = asked] (const juce::URL& address, int timeoutMs) -> std::unique_ptr<UpdateHttpConnection>
        {
            const auto found = script.find (address.toString (true));

            if (found == script.end())
                return UpdateCurlConnection::create (address, timeoutMs);

            shared->add (address.toString (true));
            return std::make_unique<Scripted> (found->second);
        });
    }

    ~ScriptedHttps() { UpdateHttpConnection::setFactory ({}); }

    /** How many connections to the scripted address (exactly as spelled) were made. */
    int getAskCount (const juce::String& address) const { return asked->count (address); }

private:
    struct Asked
    {
        void add (const juce::String& address)
        {
            const juce::ScopedLock hold (lock);
            addresses.add (address);
        }

        int count (const juce::String& address) const
        {
            const juce::ScopedLock hold (lock);
            int found = 0;

            for (const auto& a : addresses)
                found += a == address ? 1 : 0;

            return found;
        }

        juce::CriticalSection lock;
        juce::StringArray addresses;
    };

    // Shared with the factory, which the update service may still hold on a thread of its own.
    std::shared_ptr<Asked> asked = std::make_shared<Asked>();

    struct Scripted : UpdateHttpConnection
    {
        explicit Scripted (const Reply& r) : reply (r) {}

        bool connect() override { return true; }
        int getStatusCode() override { return reply.status; }
        juce::StringArray getHeaderLines() override { return reply.lines; }
        bool isError() override { return false; }
        void cancel() override {}

        int read (void* destination, int bytes) override
        {
            const auto count = juce::jmin ((size_t) bytes, reply.body.getSize() - position);
            reply.body.copyTo (destination, (int) position, count);
            position += count;
            return (int) count;
        }

        Reply reply;
        size_t position = 0;
    };
};
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

TEST_F (Downloads, TheInstallerIsWrittenWholeOrNotAtAllAndNeverOverAFileOfTheUsers)
{
    const auto installer = installerBytes (5000);
    enum class Before { nothing, file, aFolder, twoFiles, noFolder, danglingLink, linkLoop };

    struct Case { const char* name; Behaviour behaviour; int status; Before before; int result; const char* savedAs; };
    const Case cases[] = {
        { "ok", Behaviour::normal, 200, Before::nothing, DownloadResult::complete, "ok.exe" },
        { "no length", Behaviour::noLength, 200, Before::nothing, DownloadResult::complete, "no length.exe" },
        { "taken", Behaviour::normal, 200, Before::file, DownloadResult::complete, "taken (2).exe" },
        { "taken twice", Behaviour::normal, 200, Before::twoFiles, DownloadResult::complete, "taken twice (3).exe" },
        { "folder", Behaviour::normal, 200, Before::aFolder, DownloadResult::complete, "folder (2).exe" },
        { "dangling", Behaviour::normal, 200, Before::danglingLink, DownloadResult::complete, "dangling (2).exe" },
        { "loop", Behaviour::normal, 200, Before::linkLoop, DownloadResult::complete, "loop (2).exe" },
        { "cut", Behaviour::cutShort, 200, Before::file, DownloadResult::failed, nullptr },
        { "missing", Behaviour::normal, 404, Before::nothing, DownloadResult::failed, nullptr },
        { "no folder", Behaviour::normal, 200, Before::noFolder, DownloadResult::writeFailed, nullptr },
    };

    for (const auto& c : cases)
    {
        const juce::String path = "/dl/" + juce::String (c.name).replace (" ", "-");
        server.serve (path, installer, c.behaviour, c.status);

        const auto place = c.before == Before::noFolder ? folder.getChildFile ("gone") : folder;
        const auto target = place.getChildFile (juce::String (c.name) + ".exe");

        if (c.before == Before::aFolder)
        {
            ASSERT_TRUE (target.createDirectory());
        }

        if (c.before == Before::file || c.before == Before::twoFiles)
        {
            ASSERT_TRUE (target.replaceWithText ("the user's own file"));
        }

        if (c.before == Before::danglingLink || c.before == Before::linkLoop)
        {
            ASSERT_TRUE (juce::File::createSymbolicLink (target, c.before == Before::linkLoop ? target.getFullPathName() : "nowhere", false));
        }

        if (c.before == Before::twoFiles)
        {
            ASSERT_TRUE (folder.getChildFile (juce::String (c.name) + " (2).exe").replaceWithText ("another"));
        }

        TPXAutoUpdateDownloadThread thread (url (path), target, &progress);
        EXPECT_EQ (thread.getTargetPath(), target.getFullPathName());
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.name;
        EXPECT_EQ (thread.getResult(), c.result) << c.name;

        if (c.savedAs != nullptr)
        {
            const auto saved = folder.getChildFile (c.savedAs);
            EXPECT_EQ (thread.getTargetPath(), saved.getFullPathName()) << c.name;
            juce::MemoryBlock written;
            ASSERT_TRUE (saved.loadFileAsData (written)) << c.name;
            EXPECT_EQ (written, installer) << c.name;
        }

        // What was there before is untouched.
        if (c.before == Before::file || c.before == Before::twoFiles)
        {
            EXPECT_EQ (target.loadFileAsString(), "the user's own file") << c.name;
        }
        else if (c.before == Before::aFolder)
        {
            EXPECT_TRUE (target.isDirectory()) << c.name;
        }
        else if (c.before == Before::danglingLink || c.before == Before::linkLoop)
        {
            EXPECT_TRUE (target.isSymbolicLink()) << c.name;
        }
        else if (c.savedAs == nullptr)
        {
            EXPECT_FALSE (target.exists()) << c.name;
        }

        // Nothing half-written is left beside the target.
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*temp*"), 0);
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles, ".*"), 0) << c.name;
    }

    EXPECT_EQ (folder.getChildFile ("x.exe").getFullPathName(), TPXAutoUpdateDownloadThread::findFreeName (folder.getChildFile ("x.exe")).getFullPathName());
}

TEST_F (Downloads, ABodyThatIsNotWhatWasAskedForIsRefusedAndNothingIsKept)
{
    const auto installer = installerBytes (5000);
    server.serve ("/page.exe", "<!DOCTYPE html><html><body>Please sign in</body></html>");
    server.serve ("/tiny.exe", "M");
    server.serve ("/two-lengths.exe", installer, Behaviour::twoLengths);
    server.serve ("/endless.exe", installer, Behaviour::endless);

    struct Case { const char* path; int result; };
    const Case cases[] = {
        { "/page.exe", DownloadResult::notAnInstaller },
        { "/tiny.exe", DownloadResult::notAnInstaller },
        { "/two-lengths.exe", DownloadResult::failed },
        { "/endless.exe", DownloadResult::failed },   // beyond the cap, written to disk as it came, then dropped
    };

    for (const auto& c : cases)
    {
        const auto target = folder.getChildFile ("MorvaneSetup.exe");
        TPXAutoUpdateDownloadThread thread (url (c.path), target, &progress, 64 * 1024);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.path;
        EXPECT_EQ (thread.getResult(), c.result) << c.path;
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << c.path;
    }

    // Firmware with two lengths is no firmware either; the endless body stops at the cap.
    for (auto path : { "/two-lengths.exe", "/endless.exe" })
    {
        TPXFirmwareUpdateDownloadThread thread (url (path), &progress, 64 * 1024);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << path;
        EXPECT_EQ (thread.getResult(), DownloadResult::failed) << path;
    }
}

TEST_F (Downloads, RedirectsAreFollowedOnlyToTheWebAndOnlyAFewTimes)
{
    const auto port = server.getBaseAddress().fromLastOccurrenceOf (":", false, false);
    server.serve ("/fw.syx", body);
    server.redirect ("/other-host", "http://localhost:" + port + "/fw.syx");
    server.redirect ("/relative", "fw.syx", 301);
    server.redirect ("/rooted", "/fw.syx", 307);
    server.redirect ("/ftp", "ftp://127.0.0.1:" + port + "/fw.syx");
    server.redirect ("/file", "file:///etc/passwd");
    server.redirect ("/no-location", {});
    server.redirect ("/loop", "/loop");

    for (int i = 0; i < 6; ++i)
        server.redirect ("/hop" + juce::String (i), "/hop" + juce::String (i + 1));

    server.redirect ("/hop6", "/fw.syx");

    struct Case { const char* path; bool complete; };
    const Case cases[] = {
        { "/other-host", true }, { "/relative", true }, { "/rooted", true }, { "/hop2", true },   // five hops
        { "/hop1", false },                                                                         // six
        { "/ftp", false }, { "/file", false }, { "/no-location", false }, { "/loop", false },
    };

    for (const auto& c : cases)
    {
        TPXFirmwareUpdateDownloadThread thread (url (c.path), &progress);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.path;
        EXPECT_EQ (thread.getResult(), c.complete ? DownloadResult::complete : DownloadResult::failed) << c.path;
    }

    // The feeds and notes keep to the same rules.
    server.serve ("/feed.xml", R"(<FEED><VERSION major="3"/></FEED>)");
    server.redirect ("/feed-moved.xml", "/feed.xml");
    server.redirect ("/feed-ftp.xml", "ftp://127.0.0.1:" + port + "/feed.xml");
    EXPECT_NE (UpdateFeedReader::readFeed (url ("/feed-moved.xml")), nullptr);
    EXPECT_EQ (UpdateFeedReader::readFeed (url ("/feed-ftp.xml")), nullptr);
    EXPECT_EQ (server.getRequestCount ("/fw.syx"), 4);
}

TEST_F (Downloads, WithoutALengthProgressIsIndeterminateUntilTheBodyHasEnded)
{
    UpdateServer::setTimeoutMs (60000);
    server.serve ("/chunks.syx", body, Behaviour::stallChunked);

    TPXFirmwareUpdateDownloadThread thread (url ("/chunks.syx"), &progress);
    thread.startThread();
    ASSERT_TRUE (waitFor ([&] { return progress.load() < 0.0; }));
    EXPECT_EQ (progress.load(), UpdateDownloadThread::indeterminateProgress);
    EXPECT_TRUE (thread.isThreadRunning());

    thread.cancel();
    ASSERT_TRUE (waitForEnd (thread));
    EXPECT_EQ (thread.getResult(), DownloadResult::cancelled);
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

// What is asked for over https is never fetched over plain http, whatever host the redirect names;
// a redirect to another host over https stays.
TEST_F (Downloads, WhatWasAskedForOverHttpsIsNeverFetchedOverPlainHttp)
{
    server.serve ("/fw.syx", body);
    server.serve ("/feed.xml", R"(<FEED><VERSION major="3"/></FEED>)");
    const auto plain = server.getBaseAddress();
    const juce::MemoryBlock feed (R"(<FEED><VERSION major="3"/></FEED>)", 32);

    const ScriptedHttps https ({
        { "https://updates.example.com/fw.syx", { 302, { "Location: " + plain + "/fw.syx" }, {} } },
        { "https://updates.example.com/feed.xml", { 301, { "Location: " + plain + "/feed.xml" }, {} } },
        { "https://updates.example.com/mirrored.syx", { 307, { "Location: https://mirror.example.net/fw.syx" }, {} } },
        { "https://mirror.example.net/fw.syx", { 200, { "Content-Length: 5000" }, body } },
        { "https://updates.example.com/mirrored.xml", { 302, { "Location: //mirror.example.net/feed.xml" }, {} } },
        { "https://mirror.example.net/feed.xml", { 200, {}, feed } },
    });

    for (auto [address, result] : { std::pair { "https://updates.example.com/fw.syx", DownloadResult::failed },
                                    std::pair { "https://updates.example.com/mirrored.syx", DownloadResult::complete } })
    {
        TPXFirmwareUpdateDownloadThread thread (juce::URL (address), &progress);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << address;
        EXPECT_EQ (thread.getResult(), result) << address;
    }

    EXPECT_EQ (UpdateFeedReader::readFeed (juce::URL ("https://updates.example.com/feed.xml")), nullptr);
    EXPECT_NE (UpdateFeedReader::readFeed (juce::URL ("https://updates.example.com/mirrored.xml")), nullptr);
    EXPECT_EQ (server.getRequestCount ("/fw.syx") + server.getRequestCount ("/feed.xml"), 0);
}

// The scheme may be spelled in any case at any hop: https, then an "HTTPS://" mirror that sends
// the request on to plain http, is refused at the second hop, after the first was followed; the
// mirror's own body, and a relative hop that keeps its spelling, arrive.
TEST_F (Downloads, AnHttpsHopSpelledInCapitalsStillNeverStepsDownToPlainHttp)
{
    server.serve ("/fw.syx", body);
    server.serve ("/feed.xml", R"(<FEED><VERSION major="3"/></FEED>)");
    const auto plain = server.getBaseAddress();
    const auto shouted = "HTTP" + plain.fromFirstOccurrenceOf ("http", false, false);
    const juce::MemoryBlock feed (R"(<FEED><VERSION major="3"/></FEED>)", 32);

    const ScriptedHttps https ({
        { "https://updates.example.com/fw.syx", { 302, { "Location: HTTPS://mirror.example.net/fw.syx" }, {} } },
        { "HTTPS://mirror.example.net/fw.syx", { 302, { "Location: " + plain + "/fw.syx" }, {} } },
        { "https://updates.example.com/fw-shouted.syx", { 302, { "Location: HTTPS://mirror.example.net/fw-shouted.syx" }, {} } },
        { "HTTPS://mirror.example.net/fw-shouted.syx", { 307, { "Location: " + shouted + "/fw.syx" }, {} } },
        { "https://updates.example.com/feed.xml", { 301, { "Location: HTTPS://mirror.example.net/feed.xml" }, {} } },
        { "HTTPS://mirror.example.net/feed.xml", { 302, { "Location: " + plain + "/feed.xml" }, {} } },
        { "https://updates.example.com/mirrored.syx", { 302, { "Location: HTTPS://mirror.example.net/moved.syx" }, {} } },
        { "HTTPS://mirror.example.net/moved.syx", { 302, { "Location: /kept.syx" }, {} } },
        { "HTTPS://mirror.example.net/kept.syx", { 200, { "Content-Length: 5000" }, body } },
    });

    struct Case { const char* address; const char* mirror; int result; };
    const Case cases[] = {
        { "https://updates.example.com/fw.syx", "HTTPS://mirror.example.net/fw.syx", DownloadResult::failed },
        { "https://updates.example.com/fw-shouted.syx", "HTTPS://mirror.example.net/fw-shouted.syx", DownloadResult::failed },
        { "https://updates.example.com/mirrored.syx", "HTTPS://mirror.example.net/kept.syx", DownloadResult::complete },
    };

    for (const auto& c : cases)
    {
        TPXFirmwareUpdateDownloadThread thread (juce::URL (c.address), &progress);
        thread.startThread();
        ASSERT_TRUE (waitForEnd (thread)) << c.address;
        EXPECT_EQ (thread.getResult(), c.result) << c.address;
        EXPECT_EQ (https.getAskCount (c.mirror), 1) << c.address << ": the capitalised https hop was not followed";
    }

    EXPECT_EQ (UpdateFeedReader::readFeed (juce::URL ("https://updates.example.com/feed.xml")), nullptr);
    EXPECT_EQ (https.getAskCount ("HTTPS://mirror.example.net/feed.xml"), 1);
    EXPECT_EQ (server.getRequestCount ("/fw.syx") + server.getRequestCount ("/feed.xml"), 0) << "fetched over plain http";
}

// The Location header is read from the head as the server wrote it: as its first line, without a
// blank after the colon, with a comma in the address.
TEST_F (Downloads, ALocationIsReadAsTheServerWroteIt)
{
    server.serve ("/fw,1.syx", body);
    RawReplyServer moved ("HTTP/1.1 302 Found\r\nLocation:" + server.getBaseAddress()
                          + "/fw,1.syx\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");

    TPXFirmwareUpdateDownloadThread thread (juce::URL (moved.getAddress() + "/fw.syx"), &progress);
    thread.startThread();
    ASSERT_TRUE (waitForEnd (thread));
    EXPECT_EQ (thread.getResult(), DownloadResult::complete);
    EXPECT_EQ (server.getRequestCount ("/fw,1.syx"), 1);
}

// Letting go of a download lets go of its connection, on a short thread of its own as aborting
// may wait for the network. The program may end straight after (a refused download dropped on
// quitting), when no other thread of the framework runs: every such thread must be set up by
// then, as one that the framework sets up while the program ends reads its freed thread data.
TEST (DownloadsDroppedOnQuitting, TheProcessEndsCleanlyRightAfterItsDownloadsAreDropped)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");

    // Each round is a process of its own, ended at the moment of the risk.
    for (int round = 0; round < 10; ++round)
    {
        EXPECT_EXIT (
            {
                constexpr int count = 16;
                const juce::String address ("https://updates.example.com/fw.syx");
                const ScriptedHttps https ({ { address, ScriptedHttps::Reply { 404, {}, {} } } });
                std::atomic<double> progress { 0.0 };
                std::vector<std::unique_ptr<TPXFirmwareUpdateDownloadThread>> downloads;

                for (int i = 0; i < count; ++i)
                {
                    downloads.push_back (std::make_unique<TPXFirmwareUpdateDownloadThread> (juce::URL (address),
                                                                                            &progress));
                    downloads.back()->startThread();
                }

                const bool ended = waitFor ([&]
                {
                    return std::none_of (downloads.begin(), downloads.end(),
                                         [] (const auto& download) { return download->isThreadRunning(); });
                });

                downloads.clear();
                std::exit (ended ? 0 : 1);
            },
            ::testing::ExitedWithCode (0), "")
            << "round " << round;
    }

    // A download that lives as long as the program is let go of while the program ends, after
    // the framework's thread data has gone: no thread starts then.
    EXPECT_EXIT (
        {
            const juce::String address ("https://updates.example.com/fw.syx");
            const ScriptedHttps https ({ { address, ScriptedHttps::Reply { 404, {}, {} } } });
            static const auto held = std::make_unique<TPXFirmwareUpdateDownloadThread> (juce::URL (address), nullptr);
            held->startThread();
            std::exit (waitFor ([] { return ! held->isThreadRunning(); }) ? 0 : 1);
        },
        ::testing::ExitedWithCode (0), "");
}
