#include "JuceSystemServices.h"

#include <gtest/gtest.h>

namespace
{
// The installer's path never reaches a shell: a name full of shell syntax is only a name, and a
// file that cannot be executed is reported as not started (so the program does not quit).
TEST (JuceSystemServicesProcess, AFileThatCannotRunIsNotStartedAndItsNameIsNeverACommand)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile ("morvane-start-" + juce::Uuid().toString());
    ASSERT_TRUE (folder.createDirectory());
    const auto markerName = "morvane-marker-" + juce::Uuid().toString();
    const auto marker = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (markerName);

    struct Case { juce::String name; bool create; };
    const Case cases[] = {
        { "setup.exe;cd;touch${IFS}" + markerName, true },
        { "setup$(cd;touch${IFS}" + markerName + ").exe", true },
        { "missing.exe", false },
    };

    JuceSystemServices services;

    for (const auto& c : cases)
    {
        const auto installer = folder.getChildFile (c.name.replace ("/", "_"));

        if (c.create)
        {
            ASSERT_TRUE (installer.replaceWithText ("MZ not a program here"));
        }

        EXPECT_FALSE (services.startProcess (installer, {})) << c.name;
        EXPECT_FALSE (marker.exists()) << c.name;
    }

    folder.deleteRecursively();
    marker.deleteFile();
}
} // namespace
