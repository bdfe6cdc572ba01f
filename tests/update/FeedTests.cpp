#include "FirmwareFeed.h"
#include "InstallerFileName.h"
#include "ProgramFeed.h"
#include "UpdateFeedReader.h"
#include "UpdateTestSupport.h"

using namespace morvane::test;

namespace
{
std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    return UpdateFeedReader::parseFeed (text);
}
} // namespace

TEST (ProgramFeed, ComparesEachVersionPartInTurnAgainstTheInstalledOne)
{
    struct Case { const char* feed; bool newer; };
    const Case cases[] = {
        { R"(<FEED><VERSION major="2" minor="10" revision="1"/></FEED>)", true },
        { R"(<FEED><VERSION major="2" minor="9" revision="99"/></FEED>)", false },
        { R"(<FEED><VERSION major="2" minor="10" revision="0"/></FEED>)", false },
        { R"(<FEED><VERSION major="3" minor="0" revision="0"/></FEED>)", true },
        { R"(<FEED><VERSION major="1" minor="99" revision="99"/></FEED>)", false },
        { R"(<FEED><version major="2" minor="11"/></FEED>)", true },   // tag ignoring case, revision 0
        { R"(<FEED><RELEASENOTES url="x"/></FEED>)", false },         // no VERSION: 0.0.0
    };

    for (const auto& c : cases)
    {
        auto xml = parse (c.feed);
        ASSERT_NE (xml, nullptr) << c.feed;
        EXPECT_EQ (ProgramFeed::read (*xml).isNewerThan (2, 10, 0), c.newer) << c.feed;
    }
}

TEST (ProgramFeed, ReadsTheInstallerAddressNotesAndFlags)
{
    auto xml = parse (R"(<?xml version="1.0"?>
        <MORVANE><VERSION major="2" minor="11" revision="3" compatibility="true" eol="false">
            <URL win="https://host/dl/MorvaneSetup-2.11.3.exe"/></VERSION>
          <RELEASENOTES url="https://host/notes.txt"/></MORVANE>)");
    ASSERT_NE (xml, nullptr);
    const auto feed = ProgramFeed::read (*xml);

    EXPECT_EQ (feed.getVersionText(), "2.11.3");
    EXPECT_TRUE (feed.compatible);
    EXPECT_FALSE (feed.endOfLife);
    EXPECT_EQ (feed.installerAddress, "https://host/dl/MorvaneSetup-2.11.3.exe");
    EXPECT_TRUE (feed.hasReleaseNotes);
    EXPECT_EQ (feed.releaseNotesAddress, "https://host/notes.txt");
    EXPECT_FALSE (feed.hasEndOfLifeNotes);
}

TEST (FirmwareFeed, ComparesMajorThenRevisionAgainstTheInstalledMinor)
{
    struct Case { int major, revision; bool newer; };
    const Case cases[] = { { 15, 5, true }, { 15, 4, false }, { 14, 99, false }, { 16, 0, true }, { 15, 3, false } };

    for (const auto& c : cases)
    {
        FirmwareFeed feed;
        feed.major = c.major;
        feed.revision = c.revision;
        EXPECT_EQ (feed.isNewerThan (15, 4), c.newer) << c.major << "." << c.revision;
    }
}

TEST (FirmwareFeed, PicksTheModelsProductsWithTheLastMatchWinning)
{
    auto xml = parse (R"(<FIRMWARES>
        <PRODUCT modelID="8"><VERSION major="9" revision="9"><FIRMWARE url="kt4.syx"/></VERSION></PRODUCT>
        <PRODUCT modelID="3"><VERSION major="15" revision="5" compatibility="true">
            <FIRMWARE url="first.syx"/><RELEASENOTES url="first.txt"/></VERSION></PRODUCT>
        <PRODUCT modelID="259"><VERSION major="15" revision="7"><FIRMWARE url="second.syx"/></VERSION></PRODUCT>
        <PRODUCT modelID="3"/>
        <PRODUCT modelID="16"><VERSION major="4" revision="2" eol="true"><EOLNOTES url="eol16.txt"/></VERSION></PRODUCT>
      </FIRMWARES>)");
    ASSERT_NE (xml, nullptr);

    struct Case { juce::uint8 model; bool found; int major, revision; bool compatible; const char* firmware; const char* notes; };
    const Case cases[] = {
        // 259 matches 3 in its low byte and comes later: its values win; notes stay from the first.
        { 3, true, 15, 7, false, "second.syx", "first.txt" },
        { 8, true, 9, 9, false, "kt4.syx", "" },
        { 10, false, 0, 0, false, "", "" },
    };

    for (const auto& c : cases)
    {
        const auto feed = FirmwareFeed::read (*xml, c.model);
        EXPECT_EQ (feed.found, c.found) << (int) c.model;
        EXPECT_EQ (feed.major, c.major) << (int) c.model;
        EXPECT_EQ (feed.revision, c.revision) << (int) c.model;
        EXPECT_EQ (feed.compatible, c.compatible) << (int) c.model;
        EXPECT_EQ (feed.firmwareAddress, c.firmware) << (int) c.model;
        EXPECT_EQ (feed.releaseNotesAddress, c.notes) << (int) c.model;
    }

    // The end of life, and its notes, inside the product's VERSION.
    const auto last = FirmwareFeed::read (*xml, 16);
    EXPECT_TRUE (last.found);
    EXPECT_TRUE (last.endOfLife);
    EXPECT_EQ (last.endOfLifeNotesAddress, "eol16.txt");
    EXPECT_FALSE (FirmwareFeed::read (*xml, 3).endOfLife);
}

TEST (FirmwareFeed, VersionTextFollowsTheDevicesOwnFormat)
{
    FirmwareFeed feed;
    feed.major = 15;
    feed.revision = 5;
    EXPECT_EQ (feed.getVersionText (8), "15.05");
    EXPECT_EQ (feed.getVersionText (16), "15.05");
    feed.major = 22;
    feed.revision = 3;
    EXPECT_EQ (feed.getVersionText (3), "Tessaril 2.03");
}

TEST (UpdateFeedReader, RefusesHostileDocumentsBeforeParsing)
{
    struct Case { juce::String text; bool accepted; };
    const Case cases[] = {
        { R"(<?xml version="1.0" encoding="UTF-8"?><FEED><VERSION major="3"/></FEED>)", true },
        { "<FEED><VERSION major=\"3\"/></FEED>", true },
        { R"(<?xml version="1.0"?><!DOCTYPE FEED [<!ELEMENT FEED ANY>]><FEED/>)", false },
        { R"(<!doctype feed><FEED/>)", false },
        { R"(<?xml version="1.0"?><FEED><!ENTITY x "y"></FEED>)", false },
        { R"(<FEED><VERSION><??></VERSION></FEED>)", false },          // makes the parser loop
        { R"(<?xml version="1.0"?><?xml-stylesheet href="a"?><FEED/>)", false },
        { R"(<FEED/><?pi?>)", false },
        { "<FEED>" + juce::String::repeatedString ("x", UpdateFeedReader::maxFeedBytes) + "</FEED>", false },
        { "", false },
        { "not xml at all", false },
        // Found by fuzzing: the parser runs past the end of the text after a cut reference.
        { R"(<FEED><VERSION major="3"/>&#X)", false },
        { R"(<FEED a="&#x110000;"/>)", false },
        { R"(<FEED a="&bogus"/>)", false },
        { R"(<FEED a="&amp;&#65;&#x41;&lt;"/>)", true },
    };

    for (const auto& c : cases)
        EXPECT_EQ (parse (c.text) != nullptr, c.accepted) << c.text.substring (0, 80);
}

TEST (InstallerFileName, KeepsOnlySafeCharactersInsideTheChosenFolder)
{
    struct Case { const char* address; const char* name; };
    const Case cases[] = {
        { "https://host/dl/MorvaneSetup-2.11.0.exe", "MorvaneSetup-2.11.0.exe" },
        { "https://host/dl/MorvaneSetup-2.11.0.EXE", "MorvaneSetup-2.11.0.EXE" },
        { "https://host/dl/MorvaneSetup", "MorvaneSetup" },
        { "https://host/dl/setup.exe?token=a/b&x=1#frag", "setup.exe" },
        { "https://host/dl/..", "MorvaneInstaller" },
        { "https://host/dl/", "MorvaneInstaller" },
        { "https://host/dl/%2e%2e%2fetc%2fpasswd", "etcpasswd" },
        { "https://host/dl/Morvane%20Setup%3B2.11.exe", "MorvaneSetup2.11.exe" },
        { "https://host/dl/..\\..\\Windows\\evil.exe", "Windowsevil.exe" },
        { "https://host/dl/a;rm -rf $HOME|`x`.exe", "arm-rfHOMEx.exe" },
        { "https://host/dl/-rf", "rf" },
        { "https://host/dl/\xc3\xa9t\xc3\xa9.exe", "t.exe" },
        // Found by fuzzing the feeds: escapes that decode to bytes which are not valid UTF-8.
        { "https://host/dl/.%ee%2e%C0%80x%E2%82Setup%.exe%4", "xSetup.exe4" },
    };

    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("installer-names");

    for (const auto& c : cases)
    {
        const auto name = InstallerFileName::fromAddress (juce::String::fromUTF8 (c.address));
        EXPECT_EQ (name, juce::String (c.name)) << c.address;

        const auto path = InstallerFileName::makeInstallerPath (folder, name);
        EXPECT_EQ (path.getParentDirectory(), folder) << c.address;
        // One extension, always: a name that ends in ".exe" gets no second one.
        EXPECT_EQ (path.getFileName(), name.endsWithIgnoreCase (".exe") ? name : name + ".exe") << c.address;
    }

    EXPECT_EQ (InstallerFileName::fromAddress ("https://h/" + juce::String::repeatedString ("a", 500)).length(),
               InstallerFileName::maxNameLength);
}
