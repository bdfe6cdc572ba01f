#include "ConsoleSettings.h"

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

TEST_F (SettingsTest, MissingFileDefaultsBothFoldersToHomeAndStoresOnlyTheSendFolder)
{
    {
        ConsoleSettings settings (appData);
        settings.load();
        EXPECT_EQ (settings.getSendFolder(), home());
        EXPECT_EQ (settings.getStoredReceiveFolder(), home());
        EXPECT_TRUE (settings.isReceiveFolderDefaulted());
        EXPECT_TRUE (settings.getWindowState().isEmpty());
        EXPECT_TRUE (settings.save());
    }

    ASSERT_TRUE (settingsFile().existsAsFile());
    auto xml = juce::parseXML (settingsFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PROPERTIES");

    juce::PropertiesFile reread (settingsFile(), ConsoleSettings (appData).getOptions());
    EXPECT_EQ (reread.getValue ("SEND_DIR"), home());
    EXPECT_FALSE (reread.containsKey ("RCV_DIR")) << "the home folder is not stored as a chosen receive folder";

    ConsoleSettings again (appData);
    again.load();
    EXPECT_TRUE (again.isReceiveFolderDefaulted()) << "the next start still asks for a receive folder";
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
