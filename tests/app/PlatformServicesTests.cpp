#include "AlsaErrorFilter.h"
#include "AppTestDoubles.h"
#include "JuceSystemServices.h"
#include "MessageLoop.h"
#include "ProgramVersion.h"

#include <gtest/gtest.h>

namespace
{
/** Children of this process that have ended but were never waited for. */
int defunctChildren()
{
    int count = 0;
    const auto self = juce::File ("/proc/self").getLinkedTarget().getFileName();   // this process's id

    for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc"), false, "*", juce::File::findDirectories))
    {
        // /proc/<pid>/stat: "pid (name) state ppid ...", the name may hold spaces.
        const auto stat = entry.getFile().getChildFile ("stat").loadFileAsString();
        const auto fields = juce::StringArray::fromTokens (stat.fromLastOccurrenceOf (")", false, false), " ", {});

        if (fields.size() > 2 && fields[0] == "Z" && fields[1] == self)
            ++count;
    }

    return count;
}

TEST (HelpLinks, AnAddressThatCannotBeOpenedIsShownAndTheOpenerIsReaped)
{
   #if ! JUCE_LINUX
    GTEST_SKIP() << "the opener is watched on Linux only";
   #endif

    const juce::URL address ("https://www.zandrel-audio.com/support");

    const struct { const char* opener; bool reported; } cases[] = {
        { "true", false },                            // the browser took the address
        { "false", true },                            // the opener ran but found no browser
        { "/nonexistent/morvane-opener", true },      // there is no opener at all
    };

    for (const auto& row : cases)
    {
        SCOPED_TRACE (row.opener);
        ScriptedUserDialogs dialogs;
        JuceSystemServices services;
        services.setDialogs (&dialogs);
        services.setOpener (row.opener);

        services.openUrl (address);
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return services.getNumPendingOpeners() == 0; }));

        if (row.reported)
        {
            ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return ! dialogs.boxes.empty(); }));
            EXPECT_EQ (dialogs.boxes[0].title, "Morvane");
            EXPECT_TRUE (dialogs.boxes[0].text.contains (address.toString (true)));
        }
        else
        {
            morvane::test::runMessageLoopFor (200);
            EXPECT_TRUE (dialogs.boxes.empty());
        }

        EXPECT_EQ (defunctChildren(), 0);
    }
}

TEST (FolderLinks, AFolderGoesToTheOpenerWholeWithoutAShellAndAFailureIsTold)
{
   #if ! JUCE_LINUX
    GTEST_SKIP() << "the opener is watched on Linux only";
   #endif

    // A stand-in for the desktop's opener that writes down the one argument it was given.
    const auto scratch = juce::File::createTempFile ("opener");
    ASSERT_TRUE (scratch.createDirectory());
    const auto record = scratch.getChildFile ("argument.txt");
    const auto opener = scratch.getChildFile ("xdg-open");
    ASSERT_TRUE (opener.replaceWithText ("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + record.getFullPathName() + "'\n", false, false, "\n"));
    ASSERT_TRUE (opener.setExecutePermission (true));

    // A name that a shell would take as commands.
    const auto folder = scratch.getChildFile ("Backups $(touch pwned) `touch pwned2` \"quoted\"; touch pwned3");
    ASSERT_TRUE (folder.createDirectory());
    const auto file = folder.getChildFile ("bank.syx");
    ASSERT_TRUE (file.replaceWithText ("F0 F7"));

    for (const auto& shown : { folder, file })
    {
        ScriptedUserDialogs dialogs;
        JuceSystemServices services;
        services.setDialogs (&dialogs);
        services.setOpener (opener.getFullPathName());
        record.deleteFile();

        services.revealFile (shown);
        ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return services.getNumPendingOpeners() == 0; }));
        EXPECT_EQ (record.loadFileAsString(), "1|" + folder.getFullPathName()) << "a file's own folder is opened";
        EXPECT_TRUE (dialogs.boxes.empty());
        EXPECT_EQ (defunctChildren(), 0);
    }

    for (const auto* name : { "pwned", "pwned2", "pwned3" })
    {
        EXPECT_FALSE (juce::File::getCurrentWorkingDirectory().getChildFile (name).exists()) << name;
        EXPECT_FALSE (scratch.getChildFile (name).exists()) << name;
    }

    // No file manager: the user is told which folder to open.
    ScriptedUserDialogs dialogs;
    JuceSystemServices services;
    services.setDialogs (&dialogs);
    services.setOpener ("false");
    services.revealFile (folder);
    ASSERT_TRUE (morvane::test::runMessageLoopUntil ([&] { return ! dialogs.boxes.empty(); }));
    EXPECT_EQ (dialogs.boxes[0].text, JuceSystemServices::folderNotOpenedText (folder));
    EXPECT_TRUE (dialogs.boxes[0].text.contains (folder.getFullPathName()));

    scratch.deleteRecursively();
}

TEST (AlsaErrors, TheMissingSequencerIsReportedOnceAndOtherErrorsOnceEach)
{
    const struct { const char* function; const char* message; int handling; } messages[] = {
        { "snd_seq_hw_open", "open /dev/snd/seq failed: No such file or directory", 1 },
        { "snd_seq_hw_open", "open /dev/snd/seq failed: No such file or directory", 2 },
        { "snd_seq_open_noupdate", "Unknown sequencer default", 0 },
        { "snd_seq_open_noupdate", "Unknown sequencer default", 2 },
        { "snd_seq_hw_open", "open /dev/snd/seq failed: Permission denied", 2 },
    };

    for (const auto& row : messages)
        EXPECT_EQ (AlsaErrorFilter::handleMessage (row.function, row.message), row.handling) << row.message;

    EXPECT_TRUE (AlsaErrorFilter::missingSequencerText().contains ("/dev/snd/seq"));
}

TEST (ProgramVersionText, OneVersionEverywhere)
{
    EXPECT_EQ (ProgramVersion::text(), "2.10.0");
    EXPECT_EQ (juce::String (JUCE_APPLICATION_VERSION_STRING), ProgramVersion::text()) << "the framework's version";
}
} // namespace
