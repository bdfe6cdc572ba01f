#include "SkinManager.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
juce::String skinXmlWith (const juce::String& rootAttributes, const juce::String& body = {})
{
    return "<SKIN " + rootAttributes + ">" + body + "</SKIN>";
}

class SkinLoading : public ::testing::Test
{
protected:
    juce::File folder() const { return temp.getFolder(); }

    std::unique_ptr<SkinManager> loadWith (const juce::String& xml, const ArchiveEntries& entries = standardEntries())
    {
        writeSkin (folder(), xml, entries);
        return loadSkin (folder());
    }

    ScopedTempFolder temp;
};
} // namespace

TEST_F (SkinLoading, AFullSkinLoadsWithItsSectionsImagesFontsAndDrawables)
{
    auto skin = loadWith (standardSkinXml());

    EXPECT_TRUE (skin->getLoadResult().wasOk()) << skin->getLoadResult().getErrorMessage();
    EXPECT_TRUE (skin->isSkinLoaded());
    ASSERT_NE (skin->getSkinRoot(), nullptr);
    EXPECT_NE (skin->getSection ("TestSkin"), nullptr);
    EXPECT_EQ (skin->getSection ("NoSuchSkin"), nullptr);
    EXPECT_EQ (skin->getArchiveName(), "fixture.zip");
    EXPECT_EQ (skin->getSkinVersion(), 2.0);

    EXPECT_EQ (skin->getNumImages(), 13);
    EXPECT_TRUE (SkinManager::hasImage ("up.png"));
    EXPECT_EQ (SkinManager::getImage ("up.png").getWidth(), 20);
    EXPECT_EQ (SkinManager::getImage ("up.png").getPixelAt (3, 3), fixtureColours::up);

    EXPECT_TRUE (skin->hasTypeface ("regular.stf"));
    ASSERT_NE (skin->getTypeface ("regular.stf"), nullptr);
    EXPECT_EQ (skin->getTypeface ("regular.stf")->getName(), "Fixture Regular");

    EXPECT_EQ (skin->getDrawableNames(), juce::StringArray ("dot.svg"));
    EXPECT_NE (skin->getDrawable ("dot.svg"), nullptr);
    EXPECT_EQ (skin->getDocumentTitle(), "MV");
}

TEST_F (SkinLoading, SectionsAreFoundByTheirExactTagOnly)
{
    auto skin = loadWith (skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.0\"",
                                       "<mainskin id=\"lower\"/><MAINSKIN id=\"upper\"/><MainSkin id=\"exact\"/>"
                                       "<testskin/>"));
    ASSERT_TRUE (skin->getLoadResult().wasOk()) << skin->getLoadResult().getErrorMessage();

    ASSERT_NE (skin->getSection ("MainSkin"), nullptr);
    EXPECT_EQ (skin->getSection ("MainSkin")->getStringAttribute ("id"), "exact");
    EXPECT_EQ (skin->getSection ("TestSkin"), nullptr);
    EXPECT_EQ (skin->getSection ("Mainskin"), nullptr);
}

TEST_F (SkinLoading, TheDefaultSkinFolderIsBesideTheExecutable)
{
    const auto executableFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
    EXPECT_EQ (SkinManager::getDefaultSkinFolder(), executableFolder.getChildFile ("Skin"));
    EXPECT_EQ (SkinManager().getSkinFile(), executableFolder.getChildFile ("Skin").getChildFile ("MV.qorby"));
}

TEST_F (SkinLoading, RootTagIsComparedIgnoringCaseAndVersionAsANumber)
{
    for (const auto& xml : { juce::String ("<skin skin=\"fixture.zip\" skinEngineVersion=\"2.0\"/>"),
                             skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2\""),
                             skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.00\"") })
    {
        auto skin = loadWith (xml);
        EXPECT_TRUE (skin->getLoadResult().wasOk()) << xml << ": " << skin->getLoadResult().getErrorMessage();
    }
}

TEST_F (SkinLoading, AWrongEngineVersionIsRefusedWithBothVersions)
{
    auto older = loadWith (skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"1.0\""));
    EXPECT_TRUE (older->isSkinLoaded());
    EXPECT_EQ (older->getSkinRoot(), nullptr);
    EXPECT_EQ (older->getLoadResult().getErrorMessage(), "Wrong Skin Engine Version; 1.0 != 2.0");

    auto nearly = loadWith (skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.0001\""));
    EXPECT_TRUE (nearly->getLoadResult().getErrorMessage().startsWith ("Wrong Skin Engine Version; 2.0001 != 2"));

    auto absent = loadWith (skinXmlWith ("skin=\"fixture.zip\""));
    EXPECT_TRUE (absent->getLoadResult().getErrorMessage().startsWith ("Wrong Skin Engine Version; 0"));

    auto notANumber = loadWith (skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"nan\""));
    EXPECT_TRUE (notANumber->getLoadResult().failed());

    // The version the program passes is the one that counts.
    writeSkin (folder(), skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.0\""), standardEntries());
    SkinManager manager (folder());
    EXPECT_FALSE (manager.load (manager.getSkinFile().getFullPathName(), 3.0, false));
    EXPECT_EQ (manager.getLoadResult().getErrorMessage(), "Wrong Skin Engine Version; 2.0 != 3.0");
}

TEST_F (SkinLoading, DocumentsThatAreNoSkinAreRefused)
{
    const juce::String notSkins[] = {
        "this is not XML",
        "",
        "<THEME skin=\"fixture.zip\" skinEngineVersion=\"2.0\"/>",
        skinXmlWith ("skinEngineVersion=\"2.0\""),
        skinXmlWith ("skin=\"\" skinEngineVersion=\"2.0\""),
    };

    for (const auto& xml : notSkins)
    {
        auto skin = loadWith (xml);
        EXPECT_EQ (skin->getLoadResult().getErrorMessage(), "Not a valid Skin file") << xml;
        EXPECT_TRUE (skin->isSkinLoaded());
        EXPECT_EQ (skin->getSkinRoot(), nullptr) << xml;
        EXPECT_EQ (skin->getSection ("TestSkin"), nullptr);
    }
}

TEST_F (SkinLoading, DocumentsDeclaringEntitiesAreRefusedBeforeParsing)
{
    const juce::String entityBomb =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE SKIN [\n"
        "  <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
        "  <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "  <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "  <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
        "  <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        "]>\n"
        "<SKIN skin=\"fixture.zip\" skinEngineVersion=\"2.0\"><TestSkin text=\"&e;&e;&e;&e;\"/></SKIN>";

    auto bomb = loadWith (entityBomb);
    EXPECT_EQ (bomb->getLoadResult().getErrorMessage(), "Not a valid Skin file");
    EXPECT_EQ (bomb->getSkinRoot(), nullptr);

    auto doctypeOnly = loadWith ("<!doctype SKIN>" + skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.0\""));
    EXPECT_EQ (doctypeOnly->getLoadResult().getErrorMessage(), "Not a valid Skin file");
}

TEST_F (SkinLoading, AMissingSkinFileFailsThroughTheDocumentBase)
{
    SkinManager skin (folder().getChildFile ("nowhere"));
    EXPECT_FALSE (skin.load (false));
    EXPECT_TRUE (skin.isSkinLoaded());
    EXPECT_EQ (skin.getLoadResult().getErrorMessage(), "The file doesn't exist");
    EXPECT_EQ (skin.getSkinRoot(), nullptr);
}

TEST_F (SkinLoading, AMissingOrEmptyArchiveFailsAndServesNoSkin)
{
    const auto xml = skinXmlWith ("skin=\"other.zip\" skinEngineVersion=\"2.0\"", "<TestSkin/>");

    auto missing = loadWith (xml);
    EXPECT_EQ (missing->getLoadResult().getErrorMessage(), "Not a valid Skin file");
    EXPECT_EQ (missing->getSkinRoot(), nullptr);
    EXPECT_EQ (missing->getSection ("TestSkin"), nullptr);

    folder().getChildFile ("other.zip").replaceWithText ("not a zip archive");
    auto garbage = loadSkin (folder());
    EXPECT_EQ (garbage->getLoadResult().getErrorMessage(), "Not a valid Skin file");

    writeSkin (folder(), skinXmlWith ("skin=\"fixture.zip\" skinEngineVersion=\"2.0\""), {});
    auto empty = loadSkin (folder());
    EXPECT_EQ (empty->getLoadResult().getErrorMessage(), "Not a valid Skin file");
    EXPECT_EQ (empty->getSkinRoot(), nullptr);
}

TEST_F (SkinLoading, SaveAndRecentFileOperationsDoNothing)
{
    auto skin = loadWith (standardSkinXml());
    EXPECT_EQ (skin->saveDocument (folder().getChildFile ("copy.xml")).getErrorMessage(), "Couldn't create Skin file.");
    EXPECT_FALSE (folder().getChildFile ("copy.xml").exists());
    EXPECT_EQ (skin->getLastDocumentOpened(), juce::File());
    EXPECT_EQ (SkinManager (folder()).getDocumentTitle(), "Unnamed");
}

//==============================================================================
TEST_F (SkinLoading, ImagesAreFoundByTheExactCaseOfTheirNameElseThePlaceholder)
{
    auto entries = standardEntries();
    entries.push_back ({ "Up.png", makePng (5, 5, fixtureColours::down) });
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_EQ (SkinManager::getImage ("up.png").getWidth(), 20);
    EXPECT_EQ (SkinManager::getImage ("Up.png").getWidth(), 5);

    const auto placeholder = SkinManager::getImage ("UP.PNG");
    EXPECT_EQ (placeholder.getWidth(), 16);
    EXPECT_EQ (placeholder.getPixelAt (1, 1), fixtureColours::missing);
    EXPECT_FALSE (SkinManager::hasImage ("UP.PNG"));
    EXPECT_EQ (SkinManager::getImage (juce::String ("nothing.png").hashCode64()).getWidth(), 16);
}

TEST_F (SkinLoading, WithoutThePlaceholderAMissingImageIsANullImage)
{
    auto entries = standardEntries();
    entries.erase (std::remove_if (entries.begin(), entries.end(),
                                   [] (const auto& e) { return e.first == SkinManager::missingImageName; }),
                   entries.end());
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_TRUE (skin->getLoadResult().wasOk());
    EXPECT_FALSE (SkinManager::getImage ("nothing.png").isValid());
}

TEST_F (SkinLoading, ContentDecidesWhetherAnEntryIsAnImage)
{
    auto entries = standardEntries();
    entries.push_back ({ "picture.svg", makePng (7, 7, fixtureColours::over) });
    entries.push_back ({ "broken.png", textBlock ("\x89PNG but not really") });
    entries.push_back ({ "readme.txt", textBlock ("ignored") });
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_TRUE (skin->getLoadResult().wasOk());
    EXPECT_EQ (SkinManager::getImage ("picture.svg").getWidth(), 7);
    EXPECT_FALSE (skin->getDrawableNames().contains ("picture.svg"));
    EXPECT_EQ (SkinManager::getImage ("broken.png").getWidth(), 16); // the placeholder
}

TEST_F (SkinLoading, DrawablesDeclaringEntitiesAreNotParsed)
{
    auto entries = standardEntries();
    entries.push_back ({ "bomb.svg", textBlock ("<!DOCTYPE svg [<!ENTITY a \"aaaa\">]><svg xmlns=\"http://www.w3.org/2000/svg\">&a;</svg>") });
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_TRUE (skin->getDrawableNames().contains ("bomb.svg"));
    EXPECT_EQ (skin->getDrawable ("bomb.svg"), nullptr);
    EXPECT_NE (skin->getDrawable ("dot.svg"), nullptr);
}

TEST_F (SkinLoading, ReleasingTheManagerDropsItsImagesFromTheCache)
{
    {
        auto skin = loadWith (standardSkinXml());
        EXPECT_TRUE (SkinManager::hasImage ("over.png"));
    }

    EXPECT_FALSE (SkinManager::hasImage ("over.png"));
    EXPECT_FALSE (SkinManager::getImage ("over.png").isValid());
}

//==============================================================================
TEST_F (SkinLoading, UnknownOrEmptyTypefaceNamesGiveThePlaceholderFont)
{
    auto skin = loadWith (standardSkinXml());

    ASSERT_NE (skin->getTypeface (""), nullptr);
    EXPECT_EQ (skin->getTypeface ("")->getName(), "Fixture Missing");
    EXPECT_EQ (skin->getTypeface ("Regular.stf")->getName(), "Fixture Missing");
    EXPECT_EQ (skin->getFont ("nothing.stf", 12.0f).getTypefaceName(), "Fixture Missing");
    EXPECT_EQ (skin->getFont ("regular.stf", 0.0f).getHeight(), 0.1f);
}

TEST_F (SkinLoading, WithoutAnyFontTheDefaultFontIsUsed)
{
    auto entries = standardEntries();
    entries.erase (std::remove_if (entries.begin(), entries.end(),
                                   [] (const auto& e) { return e.first.endsWith (".stf"); }),
                   entries.end());
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_EQ (skin->getTypeface ("regular.stf"), nullptr);

    const auto font = skin->getFont ("regular.stf", 17.0f);
    EXPECT_EQ (font.getTypefaceName(), juce::Font().getTypefaceName());
    EXPECT_EQ (font.getHeight(), 17.0f);
    EXPECT_NE (font.getTypefacePtr(), nullptr);
}

TEST_F (SkinLoading, ADamagedFontEntryFallsBackToThePlaceholder)
{
    auto entries = standardEntries();

    // A well-compressed typeface that claims two billion glyphs.
    juce::MemoryOutputStream compressed;
    {
        juce::GZIPCompressorOutputStream gzip (compressed);
        gzip.writeString ("Liar");
        gzip.writeBool (false);
        gzip.writeBool (false);
        gzip.writeFloat (0.8f);
        gzip.writeShort (' ');
        gzip.writeInt (0x7FFFFFFF);
    }

    entries.push_back ({ "liar.stf", compressed.getMemoryBlock() });
    entries.push_back ({ "garbage.stf", textBlock ("not compressed at all") });
    auto skin = loadWith (standardSkinXml(), entries);

    EXPECT_TRUE (skin->getLoadResult().wasOk());
    EXPECT_FALSE (skin->hasTypeface ("liar.stf"));
    EXPECT_FALSE (skin->hasTypeface ("garbage.stf"));
    EXPECT_EQ (skin->getTypeface ("liar.stf")->getName(), "Fixture Missing");
}

//==============================================================================
TEST_F (SkinLoading, AFontEntryIsRenderedIntoAnStfFileInTheWorkingDirectoryOnce)
{
    ScopedTempFolder workingFolder;
    ScopedWorkingDirectory cwd (workingFolder.getFolder());

    auto entries = standardEntries();
    entries.push_back ({ "DejaVu Sans.TTF", textBlock ("the bytes are not used") });
    auto skin = loadWith (standardSkinXml(), entries);
    EXPECT_TRUE (skin->getLoadResult().wasOk());

    const auto written = workingFolder.getFolder().getChildFile ("DejaVu Sans.stf");
    ASSERT_TRUE (written.existsAsFile());
    EXPECT_FALSE (skin->hasTypeface ("DejaVu Sans.stf"));

    juce::FileInputStream in (written);
    const juce::Typeface::Ptr typeface (new juce::CustomTypeface (in));
    EXPECT_EQ (typeface->getName(), "DejaVu Sans");
    EXPECT_GT (typeface->getStringWidth ("W"), 0.1f);

    // An existing file is left alone.
    written.replaceWithText ("kept");
    EXPECT_TRUE (SkinManager::writeTypefaceForFontEntry ("DejaVu Sans.ttf").wasOk());
    EXPECT_EQ (written.loadFileAsString(), "kept");
}

TEST_F (SkinLoading, AFontEntryLooksUpItsSystemFontOnlyOnceTheSystemFontGateOpens)
{
    ScopedTempFolder workingFolder;
    ScopedWorkingDirectory cwd (workingFolder.getFolder());
    const auto written = workingFolder.getFolder().getChildFile ("DejaVu Sans.stf");

    // As at start-up: the system's font list is read on a thread of its own while the skin
    // loads, and the gate opens once it has been read.
    juce::WaitableEvent fontsRead { true };
    ASSERT_TRUE (juce::Thread::launch ([&fontsRead]
    {
        juce::Font::getDefaultTypefaceForFont (juce::Font());
        fontsRead.signal();
    }));

    int gateCalls = 0;
    juce::int64 sizeAtGate = -1;

    auto entries = standardEntries();
    entries.push_back ({ "DejaVu Sans.ttf", textBlock ("the bytes are not used") });
    writeSkin (folder(), standardSkinXml(), entries);
    SkinManager skin (folder());
    skin.setSystemFontGate ([&]
    {
        ++gateCalls;
        sizeAtGate = written.getSize();
        fontsRead.wait (-1);
    });
    skin.load (false);

    EXPECT_TRUE (skin.getLoadResult().wasOk());
    EXPECT_EQ (gateCalls, 1);
    EXPECT_EQ (sizeAtGate, 0) << "the font is looked up only after the gate";
    EXPECT_TRUE (written.existsAsFile());

    if (written.existsAsFile())
    {
        juce::FileInputStream in (written);
        const juce::Typeface::Ptr typeface (new juce::CustomTypeface (in));
        EXPECT_EQ (typeface->getName(), "DejaVu Sans");
        EXPECT_GT (typeface->getStringWidth ("W"), 0.1f);
    }

    // A skin without font entries, and a font entry whose file is there, never wait.
    writeSkin (folder(), standardSkinXml(), standardEntries());
    SkinManager plain (folder());
    plain.setSystemFontGate ([&] { ++gateCalls; });
    plain.load (false);
    EXPECT_TRUE (plain.getLoadResult().wasOk());
    EXPECT_EQ (SkinManager::writeTypefaceForFontEntry ("DejaVu Sans.ttf", [&] { ++gateCalls; }), juce::Result::ok());
    EXPECT_EQ (gateCalls, 1);

    // The thread is done before what it uses goes.
    fontsRead.wait (-1);
}

TEST_F (SkinLoading, FontEntryNamesThatLeaveTheWorkingDirectoryAreRefused)
{
    ScopedTempFolder workingFolder;
    const auto inner = workingFolder.getFolder().getChildFile ("inner");
    inner.createDirectory();
    ScopedWorkingDirectory cwd (inner);

    for (auto name : { "../Escape.ttf", "fonts/../../Escape.ttf", "..\\Escape.ttf", "/tmp/morvane-escape.ttf",
                       "\\Escape.ttf", "C:\\Escape.ttf", "~/Escape.ttf", ".ttf" })
    {
        EXPECT_TRUE (SkinManager::writeTypefaceForFontEntry (name).failed()) << name;
    }

    EXPECT_FALSE (workingFolder.getFolder().getChildFile ("Escape.stf").exists());
    EXPECT_FALSE (juce::File ("/tmp/morvane-escape.stf").exists());
    EXPECT_EQ (inner.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

    auto entries = standardEntries();
    entries.push_back ({ "../Escape.ttf", textBlock ("not used") });
    auto skin = loadWith (standardSkinXml(), entries);
    EXPECT_TRUE (skin->getLoadResult().wasOk());
    EXPECT_FALSE (workingFolder.getFolder().getChildFile ("Escape.stf").exists());
}

TEST_F (SkinLoading, AFontFileThatCannotBeWrittenIsSkipped)
{
    ScopedTempFolder workingFolder;
    ScopedWorkingDirectory cwd (workingFolder.getFolder());

    // A folder where the file should go.
    workingFolder.getFolder().getChildFile ("Blocked.stf").createDirectory();
    EXPECT_TRUE (SkinManager::writeTypefaceForFontEntry ("Blocked.ttf").wasOk()); // exists: left alone

    workingFolder.getFolder().getChildFile ("sub").replaceWithText ("a file, not a folder");
    EXPECT_TRUE (SkinManager::writeTypefaceForFontEntry ("sub/Font.ttf").failed());
}
