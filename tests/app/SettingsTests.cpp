#include "ConsoleSettings.h"
#include "UpdateCheckSettings.h"

#include <gtest/gtest.h>

namespace
{
/** A fresh application-data folder and home folder for each test. */
class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = juce::File::createTempFile ("settings");
        ASSERT_TRUE (root.createDirectory().wasOk());
        appData = root.getChildFile ("appdata");
    }

    void TearDown() override { root.deleteRecursively(); }

    juce::File settingsFile() const
    {
        return appData.getChildFile ("Zandrel Audio").getChildFile ("Morvane").getChildFile ("Morvane.settings");
    }

    static juce::String home()
    {
        return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName();
    }

    juce::File root, appData;
};

TEST_F (SettingsTest, AFirstStartStoresNoFolderTheUserDidNotChoose)
{
    {
        ConsoleSettings settings (appData);
        settings.load();
        EXPECT_EQ (settings.getSendFolder(), home());
        EXPECT_EQ (settings.getStoredReceiveFolder(), home());
        EXPECT_TRUE (settings.isReceiveFolderDefaulted());
        EXPECT_TRUE (settings.getWindowState().isEmpty());
        EXPECT_TRUE (settings.getStartNotice().isEmpty());

        // The update checks read their folders from the same file at start.
        UpdateCheckSettings program (settings.getFile(), "AUTO_UPDATE_DIR", "AUTO_UPDATE_SKIP_CHECK");
        UpdateCheckSettings firmware (settings.getFile(), "FIRMWARE_UPDATE_DIR", "FIRMWARE_UPDATE_SKIP_CHECK");
        program.load();
        firmware.load();
        EXPECT_EQ (program.getStartFolder().getFullPathName(), home());
        settings.setWindowState ("1 2 3 4");
        EXPECT_TRUE (settings.save());
    }

    ASSERT_TRUE (settingsFile().existsAsFile());
    auto xml = juce::parseXML (settingsFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PROPERTIES");

    juce::PropertiesFile reread (settingsFile(), ConsoleSettings (appData).getOptions());

    for (auto* key : { "SEND_DIR", "RCV_DIR", "AUTO_UPDATE_DIR", "FIRMWARE_UPDATE_DIR" })
        EXPECT_FALSE (reread.containsKey (key)) << key << ": the home folder is not stored as a chosen folder";

    ConsoleSettings again (appData);
    again.load();
    EXPECT_TRUE (again.isReceiveFolderDefaulted()) << "the next start still asks for a receive folder";
}

TEST_F (SettingsTest, AnUnreadableFileIsKeptWholeAndTheStartUsesDefaults)
{
    ASSERT_TRUE (settingsFile().getParentDirectory().createDirectory().wasOk());

    // Deep enough to overrun the stack of the framework's recursive parser.
    juce::String deep;
    deep.preallocateBytes (8 * 100000);
    for (int i = 0; i < 100000; ++i)
        deep << "<a>";

    // A value held inside its element, nested as the framework's reader cannot turn back into
    // text without a crash.
    const juce::String heldValue = R"(<PROPERTIES><VALUE name="SEND_DIR"><A>t<B><C/></B></A></VALUE></PROPERTIES>)";

    const juce::StringArray contents { "<PROPERTIES>" + deep, "not XML at all", "<OTHER/>", "", heldValue };
    juce::Array<juce::File> kept;

    for (const auto& content : contents)
    {
        ASSERT_TRUE (settingsFile().replaceWithText (content));

        ConsoleSettings settings (appData);
        settings.load();
        EXPECT_EQ (settings.getSendFolder(), home());
        EXPECT_TRUE (settings.isReceiveFolderDefaulted());

        const auto keptFile = settings.getKeptFile();
        EXPECT_EQ (keptFile.getParentDirectory(), settingsFile().getParentDirectory());
        EXPECT_FALSE (kept.contains (keptFile)) << "an earlier kept file was replaced";
        EXPECT_EQ (keptFile.loadFileAsString(), content) << "the file was not kept whole";
        EXPECT_TRUE (settings.getStartNotice().contains (keptFile.getFullPathName())) << settings.getStartNotice();
        kept.add (keptFile);

        settings.setWindowState ("5 6 7 8");
        EXPECT_TRUE (settings.save());
    }

    EXPECT_EQ (kept.getFirst().loadFileAsString(), contents[0]);

    // The file written in the unreadable one's place reads at the next start, without a word.
    ConsoleSettings next (appData);
    next.load();
    EXPECT_TRUE (next.getStartNotice().isEmpty());
    EXPECT_EQ (next.getWindowState(), "5 6 7 8");

    // A folder where the file should be is set aside the same way.
    ASSERT_TRUE (settingsFile().deleteFile() && settingsFile().getChildFile ("inside").createDirectory().wasOk());
    ConsoleSettings blocked (appData);
    blocked.load();
    EXPECT_TRUE (blocked.getKeptFile().getChildFile ("inside").isDirectory() && blocked.save());
}

TEST_F (SettingsTest, FoldersAndWindowStateSurviveARoundTrip)
{
    const auto sendDir = root.getChildFile ("send");
    const auto receiveDir = root.getChildFile ("receive folder with blanks");
    ASSERT_TRUE (sendDir.createDirectory().wasOk());
    ASSERT_TRUE (receiveDir.createDirectory().wasOk());

    {
        ConsoleSettings settings (appData);
        settings.load();
        settings.setSendDirectory (sendDir.getFullPathName());
        settings.setReceiveDirectory (receiveDir.getFullPathName());
        settings.setWindowState ("120 80 800 580");
        settings.getFile()->setValue ("AUTO_UPDATE_SKIP_CHECK", "1");
        EXPECT_TRUE (settings.save());
    }

    ConsoleSettings settings (appData);
    settings.load();
    EXPECT_EQ (settings.getSendFolder(), sendDir.getFullPathName());
    EXPECT_EQ (settings.getStoredReceiveFolder(), receiveDir.getFullPathName());
    EXPECT_FALSE (settings.isReceiveFolderDefaulted());
    EXPECT_EQ (settings.getWindowState(), "120 80 800 580");
    EXPECT_EQ (settings.getFile()->getValue ("AUTO_UPDATE_SKIP_CHECK"), "1");
}

TEST_F (SettingsTest, StoredFolderCountsOnlyAsAnAbsolutePathToAnExistingDirectory)
{
    const auto plainFile = root.getChildFile ("not-a-folder.syx");
    ASSERT_TRUE (plainFile.replaceWithText ("x"));
    const auto gone = root.getChildFile ("deleted");

    const juce::StringArray badValues { plainFile.getFullPathName(), gone.getFullPathName(), "relative/folder", ".", "" };

    for (const auto& bad : badValues)
    {
        {
            ConsoleSettings settings (appData);
            settings.load();
            settings.setSendDirectory (bad);
            settings.setReceiveDirectory (bad);
            ASSERT_TRUE (settings.save());
        }

        ConsoleSettings settings (appData);
        settings.load();
        EXPECT_EQ (settings.getSendFolder(), home()) << "stored: " << bad;
        EXPECT_EQ (settings.getStoredReceiveFolder(), home()) << "stored: " << bad;
        EXPECT_TRUE (settings.isReceiveFolderDefaulted()) << "stored: " << bad;
        EXPECT_EQ (settings.getFile()->getValue ("RCV_DIR"), bad) << "home is not stored in its place";
        EXPECT_EQ (settings.getFile()->getValue ("SEND_DIR"), bad) << "home is not stored in its place";
    }
}

TEST_F (SettingsTest, SaveReportsAFileThatCannotBeWritten)
{
    ConsoleSettings settings (appData);
    settings.load();
    ASSERT_TRUE (settingsFile().getParentDirectory().createDirectory().wasOk());
    settingsFile().deleteFile();
    ASSERT_TRUE (settingsFile().createDirectory().wasOk()); // a folder where the file should go

    settings.setWindowState ("1 2 3 4");
    EXPECT_FALSE (settings.save());
}

TEST_F (SettingsTest, OptionsFollowTheFileLayout)
{
    ConsoleSettings settings (appData);
    const auto options = settings.getOptions();
    EXPECT_EQ (options.applicationName, "Morvane");
    EXPECT_EQ (options.filenameSuffix, ".settings");
    EXPECT_EQ (options.getDefaultFile(), settingsFile());
    EXPECT_EQ (options.millisecondsBeforeSaving, 3000);
    EXPECT_FALSE (options.ignoreCaseOfKeyNames);
    EXPECT_EQ (options.storageFormat, juce::PropertiesFile::storeAsXML);
    EXPECT_NE (options.processLock, nullptr);
}
} // namespace
