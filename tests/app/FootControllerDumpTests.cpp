#include "AppTestDoubles.h"
#include "ConsoleDeviceInfo.h"
#include "ConsoleSettings.h"
#include "FootControllerDump.h"
#include "MainAppWindow.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "MorvaneDialog.h"
#include "QMR303BackupComponent.h"
#include "SimulatedFootController.h"
#include "SkinManager.h"
#include "TestSkin.h"
#include "Transfers.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

using morvane::test::runMessageLoopUntil;
using morvane::test::SimulatedFootController;
using morvane::test::VirtualMidiPorts;

namespace
{
constexpr int waitMs = 20000;
const juce::String noDataText ("No data was received.  Please verify that the hardware is connected and powered on.");

/** The console in its main window on the receive page, with a QMR-303 of the given model
    plugged in and its input chosen, a receive folder stored in the settings, and the dump
    window's content built outside a modal loop so that the test can press its buttons.
*/
class FootControllerDumpTest : public ::testing::TestWithParam<int>
{
protected:
    FootControllerDumpTest()
    {
        userFolder.createDirectory();
        receiveFolder.createDirectory();
        ConsoleSettings settings (userFolder);
        settings.load();
        settings.setReceiveDirectory (receiveFolder.getFullPathName());
        settings.save();
    }

    ~FootControllerDumpTest() override
    {
        panel.reset();
        window.reset();
        link.reset();
        controller.reset();
        userFolder.deleteRecursively();
        receiveFolder.deleteRecursively();
    }

    void SetUp() override { ASSERT_TRUE (skinManager.load (false)); }

    /** Starts everything for a QMR-303 of that model; false when its input did not open. */
    bool open (juce::uint8 model)
    {
        controller = std::make_unique<SimulatedFootController> (hub, model, "QMR-303 MIDI 1");
        link = std::make_unique<MidiProcessing> (hub.createBackend());
        link->timerCallback();
        window = std::make_unique<MainAppWindow> (&skinManager, link.get(), dialogs, services, userFolder);

        dialogs.menuChoices = { (int) model };
        console().showDeviceMenu();
        console().showReceivePage();
        juce::StringArray inputs;
        link->getInputDeviceNames (inputs);
        dialogs.menuChoices = { inputs.indexOf (controller->getPortName()) + 1 };
        console().showInputPortMenu();

        panel = std::make_unique<QMR303BackupComponent> (console().getTransfers(), link.get(), [this] { return console().getReceiveFolder(); });
        panel->rebuild();
        return link->isInputConnected() == 1;
    }

    MorvaneDialog& console() { return *window->getConsole(); }

    juce::Button* button (const juce::String& name)
    {
        for (auto* c : panel->getChildren())
            if (c->getName() == name)
                return dynamic_cast<juce::Button*> (c);

        return nullptr;
    }

    /** Presses a button of the window as the user would: only when it is enabled. */
    bool press (const juce::String& name)
    {
        auto* b = button (name);

        if (b == nullptr || ! b->isEnabled())
            return false;

        panel->buttonClicked (b);
        return true;
    }

    /** Sends a dump in bursts and waits until the bar shows all of its bytes. */
    bool sendAndCount (const SimulatedFootController::Dump& dump)
    {
        controller->startDump (dump, 25, 2);
        const auto expected = juce::String (dump.totalBytes) + " bytes received";
        return runMessageLoopUntil ([&] { return panel->getProgressText() == expected; }, waitMs);
    }

    juce::Array<juce::File> writtenFiles() const
    {
        return receiveFolder.findChildFiles (juce::File::findFiles, false, "*.syx");
    }

    static bool holds (const juce::File& file, const juce::MemoryBlock& bytes)
    {
        juce::MemoryBlock content;
        return file.loadFileAsData (content) && content == bytes;
    }

    bool consoleIsFree()
    {
        for (auto* c : console().getChildren())
            if (c->getName() == "Device Label")
                return c->isEnabled() && ! console().getTransfers().isDumpRunning() && ! link->isMonitoring();

        return false;
    }

    juce::File userFolder { juce::File::createTempFile ("user") };
    juce::File receiveFolder { juce::File::createTempFile ("receive") };
    TestSkin skin;
    SkinManager skinManager { skin.folder };
    ScriptedUserDialogs dialogs;
    RecordingSystemServices services;
    VirtualMidiPorts hub;
    std::unique_ptr<SimulatedFootController> controller;
    std::unique_ptr<MidiProcessing> link;
    std::unique_ptr<MainAppWindow> window;
    std::unique_ptr<QMR303BackupComponent> panel;
};

TEST_P (FootControllerDumpTest, ADumpInBurstsIsCountedWithItsClockAndWrittenAsItsSysExAlone)
{
    const auto model = (juce::uint8) GetParam();
    ASSERT_TRUE (open (model));
    const auto dump = SimulatedFootController::buildDump (model, 400, 120, 3, 10);

    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    EXPECT_FALSE (button ("QMR-303 Backup Ready")->isEnabled());
    EXPECT_EQ (panel->getDumpProgress(), 1.0);
    EXPECT_TRUE (console().getTransfers().isDumpRunning());
    EXPECT_FALSE (consoleIsFree()) << "the page's controls wait while the dump is recorded";

    ASSERT_TRUE (sendAndCount (dump)) << panel->getProgressText() << " of " << dump.totalBytes;
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].icon, juce::MessageBoxIconType::InfoIcon);
    EXPECT_EQ (dialogs.boxes[0].text, "Backup complete.");
    const auto files = writtenFiles();
    ASSERT_EQ (files.size(), 1);
    const auto name = files[0].getFileName();
    EXPECT_TRUE (name.length() == 25 && name.substring (0, 13).containsOnly ("0123456789-") && name.endsWith ("-qmr-303.syx")) << name;
    EXPECT_TRUE (holds (files[0], dump.sysExBytes)) << "clock and active sensing are counted, never saved";
    EXPECT_LT (dump.sysExBytes.getSize(), dump.totalBytes);
    EXPECT_EQ (panel->getDumpProgress(), 0.0);
    EXPECT_TRUE (consoleIsFree());
}

INSTANTIATE_TEST_SUITE_P (BothQMR303Models, FootControllerDumpTest, ::testing::Values (2, 4));

TEST_F (FootControllerDumpTest, CancelDropsTheRecordingAndTheNextDumpStartsFromNothing)
{
    ASSERT_TRUE (open (2));
    const auto first = SimulatedFootController::buildDump (2, 150, 60, 2, 0);
    const auto second = SimulatedFootController::buildDump (2, 90, 33, 0, 4);

    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    ASSERT_TRUE (sendAndCount (first));
    ASSERT_TRUE (press ("QMR-303 Backup Cancel"));
    EXPECT_TRUE (consoleIsFree());
    EXPECT_TRUE (button ("QMR-303 Backup Ready")->isEnabled());
    EXPECT_TRUE (panel->getProgressText().isEmpty());

    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    ASSERT_TRUE (sendAndCount (second)) << "the count starts again from 0: " << panel->getProgressText();
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));

    const auto files = writtenFiles();
    ASSERT_EQ (files.size(), 1);
    EXPECT_TRUE (holds (files[0], second.sysExBytes)) << "nothing of the cancelled dump";
    EXPECT_TRUE (dialogs.boxes.size() == 1 && dialogs.boxes[0].text == "Backup complete.");
}

TEST_F (FootControllerDumpTest, AFailedWriteKeepsTheDumpSoThatOkCanWriteItAgain)
{
    ASSERT_TRUE (open (4));
    const auto dump = SimulatedFootController::buildDump (4, 200, 80, 5, 7);

    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    ASSERT_TRUE (sendAndCount (dump));

    // Where the folder was there is now a file: nothing can be written inside it.
    ASSERT_TRUE (receiveFolder.deleteRecursively());
    ASSERT_TRUE (receiveFolder.replaceWithText ("in the way"));
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));

    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_TRUE (dialogs.boxes[0].text.startsWith ("SysEx Message Export - ")) << dialogs.boxes[0].text;
    EXPECT_GT (dialogs.boxes[0].text.length(), juce::String ("SysEx Message Export - ").length()) << "with the reason";
    EXPECT_TRUE (button ("QMR-303 Backup Ready")->isEnabled());
    EXPECT_TRUE (consoleIsFree());

    ASSERT_TRUE (receiveFolder.deleteFile());
    ASSERT_TRUE (receiveFolder.createDirectory().wasOk());
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));

    ASSERT_EQ (dialogs.boxes.size(), 2u);
    EXPECT_EQ (dialogs.boxes[1].text, "Backup complete.");
    const auto files = writtenFiles();
    ASSERT_EQ (files.size(), 1);
    EXPECT_TRUE (holds (files[0], dump.sysExBytes));
}

TEST_F (FootControllerDumpTest, NothingReceivedWarnsAndWritesNothing)
{
    ASSERT_TRUE (open (2));

    // OK before READY, then READY and OK with the device silent, then only clock arriving.
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));
    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return panel->getProgressText() == "0 bytes received"; }, waitMs));
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));
    ASSERT_TRUE (press ("QMR-303 Backup Ready"));
    SimulatedFootController::Dump clockOnly;

    for (int i = 0; i < 50; ++i)
    {
        clockOnly.messages.push_back (juce::MidiMessage::midiClock());
        clockOnly.totalBytes += 1;
    }

    ASSERT_TRUE (sendAndCount (clockOnly));
    ASSERT_TRUE (press ("QMR-303 Backup Ok"));

    ASSERT_EQ (dialogs.boxes.size(), 3u);

    for (const auto& box : dialogs.boxes)
    {
        EXPECT_EQ (box.icon, juce::MessageBoxIconType::WarningIcon);
        EXPECT_EQ (box.text, noDataText);
    }

    EXPECT_TRUE (writtenFiles().isEmpty());
    EXPECT_TRUE (button ("QMR-303 Backup Ready")->isEnabled()) << "the window stays for another try";
    EXPECT_TRUE (consoleIsFree());
}

TEST_F (FootControllerDumpTest, BeginOnTheReceivePageOpensTheWindowAndKeepsItsContentAcrossShows)
{
    ASSERT_TRUE (open (4));
    console().getDeviceInfo().pollDeviceInfo();

    juce::Button* transmit = nullptr;

    for (auto* c : console().getChildren())
        if (c->getName() == "Transmit")
            transmit = dynamic_cast<juce::Button*> (c);

    ASSERT_NE (transmit, nullptr);
    ASSERT_TRUE (transmit->isEnabled()) << "BEGIN for the QMR-303 with a folder and its input";

    struct Shown
    {
        juce::String title;
        juce::Component* content = nullptr;
        juce::Component* okButton = nullptr;
        juce::Rectangle<int> contentBounds;
        juce::StringArray children;
    };

    std::vector<Shown> shows;

    for (int show = 0; show < 2; ++show)
    {
        // Runs inside the window's modal loop: note what is shown, then press Cancel. Should the
        // window never appear, the test gives up after the bound instead of waiting for ever.
        std::function<void (int)> lookThenCancel = [&] (int triesLeft)
        {
            auto* dialog = dynamic_cast<juce::DialogWindow*> (juce::Component::getCurrentlyModalComponent());

            if (dialog == nullptr)
            {
                if (triesLeft > 0)
                    juce::Timer::callAfterDelay (10, [&, triesLeft] { lookThenCancel (triesLeft - 1); });

                return;
            }

            Shown shown;
            shown.title = dialog->getName();
            shown.content = dialog->getContentComponent();
            shown.contentBounds = shown.content->getLocalBounds();

            for (auto* c : shown.content->getChildren())
            {
                shown.children.add (c->getName());

                if (c->getName() == "QMR-303 Backup Ok")
                    shown.okButton = c;
            }

            shows.push_back (shown);

            for (auto* c : shown.content->getChildren())
                if (c->getName() == "QMR-303 Backup Cancel")
                    if (auto* cancel = dynamic_cast<juce::Button*> (c))
                        cancel->triggerClick();
        };

        juce::MessageManager::callAsync ([&] { lookThenCancel (waitMs / 10); });
        transmit->onClick();
    }

    ASSERT_EQ (shows.size(), 2u);
    EXPECT_EQ (shows[0].title, "QMR-303 Create Backup");
    EXPECT_EQ (shows[0].content->getName(), "QMR-303 Backup Component");
    EXPECT_EQ (shows[0].contentBounds, juce::Rectangle<int> (0, 0, 375, 430));
    EXPECT_TRUE (shows[0].children.contains ("QMR-303 Backup Instructions Label"));
    EXPECT_TRUE (shows[0].children.contains ("QMR-303 Backup Ready"));
    EXPECT_TRUE (shows[0].children.contains ("QMR-303 Backup Cancel"));
    EXPECT_EQ (shows[1].content, shows[0].content) << "the content is kept";
    EXPECT_NE (shows[1].okButton, nullptr);
    EXPECT_EQ (shows[1].children.size(), shows[0].children.size()) << "its children are replaced, not added";
    EXPECT_TRUE (consoleIsFree());
    EXPECT_TRUE (dialogs.boxes.empty());
}

//==============================================================================
namespace
{
    using Outcome = FootControllerDump::ExportResult;

    const juce::Time march14 (2025, 2, 14, 9, 30, 5, 0, true);
    const juce::String march14Name ("250314-093005-qmr-303.syx");

    juce::MemoryBlock someSysEx (size_t size)
    {
        juce::MemoryBlock bytes (size);

        for (size_t i = 0; i < size; ++i)
            bytes[i] = (char) (i == 0 ? 0xF0 : (i + 1 == size ? 0xF7 : (i * 7) & 0x7F));

        return bytes;
    }

    /** A folder of its own, removed at the end with everything in it. */
    struct ScratchFolder
    {
        ScratchFolder() { folder.createDirectory(); }
        ~ScratchFolder() { folder.deleteRecursively(); }

        juce::StringArray names() const
        {
            juce::StringArray found;

            for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
                found.add (entry.getFile().getFileName());

            found.sort (false);
            return found;
        }

        const juce::File folder { juce::File::createTempFile ("qmr") };
    };
} // namespace

TEST (FootControllerDumpFile, NamesFollowTheLocalTimeAndPassOverANameThatHoldsAnything)
{
    EXPECT_EQ (FootControllerDump::makeFileName (march14), march14Name);
    EXPECT_EQ (FootControllerDump::makeFileName (march14, 3), "250314-093005-qmr-303 (3).syx");

    // Whatever stands under the time's name is the user's: never replaced, never written through.
    struct Case
    {
        const char* what;
        std::function<void (const juce::File& name, const juce::File& elsewhere)> plant;
    };

    const std::vector<Case> cases {
        { "a file", [] (const juce::File& at, const juce::File&) { at.replaceWithText ("the user's"); } },
        { "a folder", [] (const juce::File& at, const juce::File&) { at.createDirectory(); } },
        { "a link that leads nowhere",
          [] (const juce::File& at, const juce::File& elsewhere)
          { juce::File::createSymbolicLink (at, elsewhere.getChildFile ("not-yet.syx").getFullPathName(), false); } },
        { "a link to a file in another folder",
          [] (const juce::File& at, const juce::File& elsewhere)
          {
              elsewhere.getChildFile ("theirs.syx").replaceWithText ("the user's");
              juce::File::createSymbolicLink (at, elsewhere.getChildFile ("theirs.syx").getFullPathName(), false);
          } },
        { "a link to itself", [] (const juce::File& at, const juce::File&) { juce::File::createSymbolicLink (at, at.getFullPathName(), false); } },
    };

    const auto dump = someSysEx (300);

    for (const auto& c : cases)
    {
        ScratchFolder receive, elsewhere;
        const auto taken = receive.folder.getChildFile (march14Name);
        c.plant (taken, elsewhere.folder);
        ASSERT_TRUE (taken.exists() || taken.isSymbolicLink()) << c.what;
        const auto elsewhereBefore = elsewhere.names();

        // A second name taken as well: the next number is tried.
        receive.folder.getChildFile (FootControllerDump::makeFileName (march14, 2)).replaceWithText ("second");

        const auto result = FootControllerDump::writeFile (dump, receive.folder.getFullPathName(), march14);

        EXPECT_EQ (result.result, Outcome::written) << c.what << ": " << result.error;
        EXPECT_EQ (result.file, receive.folder.getChildFile ("250314-093005-qmr-303 (3).syx")) << c.what;
        juce::MemoryBlock written;
        EXPECT_TRUE (result.file.loadFileAsData (written) && written == dump) << c.what;
        EXPECT_EQ (receive.names().size(), 3) << c.what << ": no temporary file is left";
        EXPECT_EQ (elsewhere.names(), elsewhereBefore) << c.what << ": nothing is written through a link";
        EXPECT_FALSE (elsewhere.folder.getChildFile ("not-yet.syx").exists()) << c.what;

        if (elsewhere.folder.getChildFile ("theirs.syx").existsAsFile())
        {
            EXPECT_EQ (elsewhere.folder.getChildFile ("theirs.syx").loadFileAsString(), "the user's") << c.what;
        }
    }
}

TEST (FootControllerDumpFile, NothingPartialEverStandsUnderItsName)
{
    // Wherever the disk fails, or the program is killed (the state at each call is what it
    // leaves), the name holds nothing or the whole dump.
    struct WatchingDisk : DurableFile::Disk
    {
        bool write (HeldFolder& in, int file, const void* data, size_t size) override
        {
            look ("write");

            if (failAt == "write half")
            {
                Disk::write (in, file, data, size / 2);
                return false;
            }

            return failAt != "write" && Disk::write (in, file, data, size);
        }

        bool sync (HeldFolder& in, int file) override { look ("sync"); return failAt != "sync" && Disk::sync (in, file); }

        bool rename (HeldFolder& in, const juce::String& from, const juce::String& to, bool mayReplace) override
        {
            look ("rename");
            const auto renamed = failAt != "rename" && Disk::rename (in, from, to, mayReplace);
            look ("after rename");
            return renamed;
        }

        bool syncFolder (HeldFolder& in) override { look ("syncFolder"); return failAt != "syncFolder" && Disk::syncFolder (in); }

        void look (const juce::String& when)
        {
            juce::MemoryBlock there;

            if (target.exists() && ! (target.loadFileAsData (there) && there == expected))
                partialAt.add (when);
        }

        juce::String failAt;
        juce::File target;
        juce::MemoryBlock expected;
        juce::StringArray partialAt;
    };

    const auto dump = someSysEx (64 * 1024);

    for (const juce::String failAt : { "", "write", "write half", "sync", "rename", "syncFolder" })
    {
        ScratchFolder receive;
        WatchingDisk disk;
        disk.failAt = failAt;
        disk.target = receive.folder.getChildFile (march14Name);
        disk.expected = dump;

        const auto result = FootControllerDump::writeFile (dump, receive.folder.getFullPathName(), march14, disk);

        EXPECT_TRUE (disk.partialAt.isEmpty()) << failAt << ": " << disk.partialAt.joinIntoString (", ");
        EXPECT_EQ (result.result, failAt.isEmpty() ? Outcome::written : Outcome::writeFailed) << failAt;
        EXPECT_EQ (result.error.isEmpty(), failAt.isEmpty()) << failAt << ": " << result.error;
        EXPECT_EQ (receive.names().size(), failAt.isEmpty() || failAt == "syncFolder" ? 1 : 0)
            << failAt << ": " << receive.names().joinIntoString (" ");
    }
}

TEST (FootControllerDumpFile, OnlySysExIsKeptEvenWhenAMessageSpansSeveralEvents)
{
    const juce::uint8 sysEx[] = { 0xF0, 0x00, 0x01, 0x74, 0x02, 0x30, 0x11, 0xF7 };
    const juce::uint8 head[] = { 0xF0, 0x00, 0x01, 0x74, 0x02, 0x31, 0x22 };
    const juce::uint8 tail[] = { 0x33, 0x44, 0xF7 };
    const juce::uint8 clock[] = { 0xF8 };
    const juce::uint8 sensing[] = { 0xFE };
    const juce::uint8 note[] = { 0x90, 0x3C, 0x64 };

    struct Case
    {
        const char* what;
        std::vector<std::pair<const juce::uint8*, int>> events;
        std::vector<juce::uint8> expected;
    };

    const std::vector<Case> cases {
        { "nothing", {}, {} },
        { "clock and sensing only", { { clock, 1 }, { sensing, 1 } }, {} },
        { "SysEx between real-time bytes", { { clock, 1 }, { sysEx, 8 }, { sensing, 1 }, { note, 3 } },
          { 0xF0, 0x00, 0x01, 0x74, 0x02, 0x30, 0x11, 0xF7 } },
        { "a message carried by two events", { { head, 7 }, { tail, 3 }, { clock, 1 } },
          { 0xF0, 0x00, 0x01, 0x74, 0x02, 0x31, 0x22, 0x33, 0x44, 0xF7 } },
        { "data bytes after a complete message are not SysEx", { { sysEx, 8 }, { tail, 3 } },
          { 0xF0, 0x00, 0x01, 0x74, 0x02, 0x30, 0x11, 0xF7 } },
    };

    for (const auto& c : cases)
    {
        juce::MidiBuffer buffer;

        // Raw events at sample 0 (time, size, bytes), as the monitor stores the parts of a message
        // too long for one event; MidiBuffer::addEvent would drop a part without a status byte.
        for (const auto& [data, size] : c.events)
        {
            buffer.data.add (0, 0, 0, 0, (juce::uint8) size, 0);
            buffer.data.addArray (data, size);
        }

        const auto bytes = FootControllerDump::extractSysEx (buffer);
        // Compared as byte vectors: JUCE compares two empty blocks through memcmp on null.
        const auto* first = static_cast<const juce::uint8*> (bytes.getData());
        EXPECT_EQ (std::vector<juce::uint8> (first, first + bytes.getSize()), c.expected) << c.what;
    }
}

TEST (FootControllerDumpFile, WithoutALinkNothingIsRecordedOrWritten)
{
    FootControllerDump dump (nullptr);
    EXPECT_FALSE (dump.startRecording());
    dump.takeRecording();
    EXPECT_FALSE (dump.hasDump());
    EXPECT_EQ (dump.exportReceivedSysEx ("/tmp", juce::Time::getCurrentTime()).result,
               FootControllerDump::ExportResult::nothingReceived);
}
} // namespace
