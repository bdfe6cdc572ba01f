#include "AppTestDoubles.h"
#include "BackupDialogFrame.h"
#include "ConsolePorts.h"
#include "DeviceQueries.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "MorvaneDialog.h"
#include "SkinManager.h"
#include "SysExMessage.h"
#include "TestSkin.h"
#include "Transfers.h"

#include <gtest/gtest.h>

namespace
{
/** A console on a test skin, fake MIDI ports and scripted dialogs, with settings in a temporary folder. */
class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override { build (true); }

    void TearDown() override
    {
        console.reset();
        link.reset();
        skinManager.reset();
        userFolder.deleteRecursively();
    }

    void build (bool withShowFolder)
    {
        console.reset();
        link.reset();
        skin = std::make_unique<TestSkin> (withShowFolder);
        skinManager = std::make_unique<SkinManager> (skin->folder);
        ASSERT_TRUE (skinManager->load (false));

        auto backend = std::make_unique<FakePortBackend> (
            juce::StringArray { "Midi Through", "Orvix III MIDI 1", "ORVIX II MIDI 2", "KT4 MIDI", "KT4 MIDI", "LM6 MIDI" },
            juce::StringArray { "Midi Through", "Orvix III MIDI 1", "ORVIX II MIDI 2", "KT4 MIDI", "KT4 MIDI", "LM6 MIDI" });
        ports = backend.get();
        link = std::make_unique<MidiProcessing> (std::move (backend));
        link->getPortManager().refreshDeviceLists();

        console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
        answerQuickly();
    }

    /** These ports never answer: each query ends in its time-out, which need not be the
        device's 3 seconds for what these tests look at (the count of time-outs stays as it is).
    */
    void answerQuickly() { console->getTransfers().getQueries().setTimeoutMs (quickTimeoutMs); }

    static constexpr juce::uint32 quickTimeoutMs = 100;

    juce::Component* child (const juce::String& name) const
    {
        for (auto* c : console->getChildren())
            if (c->getName() == name)
                return c;

        return nullptr;
    }

    juce::String labelText (const juce::String& name) const
    {
        auto* label = dynamic_cast<juce::Label*> (child (name));
        return label != nullptr ? label->getText() : juce::String ("<missing " + name + ">");
    }

    bool enabled (const juce::String& name) const
    {
        auto* c = child (name);
        return c != nullptr && c->isEnabled();
    }

    bool visible (const juce::String& name) const
    {
        auto* c = child (name);
        return c != nullptr && c->isVisible();
    }

    void click (const juce::String& name)
    {
        auto* c = child (name);
        ASSERT_NE (c, nullptr) << name;
        auto source = juce::Desktop::getInstance().getMainMouseSource();
        const juce::MouseEvent event (source, {}, juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                      c, c, juce::Time::getCurrentTime(), {}, juce::Time::getCurrentTime(), 1, false);
        console->mouseDown (event);
    }

    juce::File userFolder { juce::File::createTempFile ("user") };
    std::unique_ptr<TestSkin> skin;
    std::unique_ptr<SkinManager> skinManager;
    FakePortBackend* ports = nullptr;
    std::unique_ptr<MidiProcessing> link;
    ScriptedUserDialogs dialogs;
    RecordingSystemServices services;
    std::unique_ptr<MorvaneDialog> console;
};

TEST_F (ConsoleTest, FreshConsoleShowsTheLayoutWithOnlyHelpAndTabsUsable)
{
    EXPECT_EQ (console->getBounds().getWidth(), 800);
    EXPECT_EQ (console->getBounds().getHeight(), 553);

    const struct { const char* name; juce::Rectangle<int> bounds; bool visible; } layout[] = {
        { "Glim Eyes", { 79, 246, 83, 34 }, true },
        { "Send Tab Focus", { 260, 13, 169, 33 }, true },
        { "Send Tab Button", { 260, 13, 169, 33 }, false },
        { "Receive Tab Focus", { 429, 13, 169, 33 }, false },
        { "Receive Tab Button", { 429, 13, 169, 33 }, true },
        { "Device To Update", { 280, 111, 232, 27 }, true },
        { "Device Label", { 280, 111, 232, 27 }, true },
        { "Connected Label", { 550, 115, 200, 200 }, false },
        { "Check", { 530, 115, 15, 15 }, false },
        { "Input Check", { 530, 153, 15, 15 }, false },
        { "Output Check", { 530, 191, 15, 15 }, false },
        { "Error 1", { 530, 115, 15, 15 }, false },
        { "Select an Input Port", { 280, 149, 232, 27 }, true },
        { "Select an Output Port", { 280, 187, 232, 27 }, true },
        { "MIDI Buffer Delay", { 563, 187, 180, 24 }, false },
        { "Browse", { 268, 289, 152, 42 }, true },
        { "File", { 430, 295, 307, 25 }, true },
        { "Error 2", { 275, 334, 15, 15 }, false },
        { "Firmware Text Label", { 395, 329, 480, 27 }, false },
        { "Firmware Link Label", { 275, 329, 125, 27 }, false },
        { "Receive Browse Label", { 275, 329, 500, 27 }, false },
        { "Transmit", { 268, 429, 152, 42 }, true },
        { "Cancel", { 690, 435, 78, 30 }, true },
        { "Check3", { 275, 474, 15, 15 }, false },
        { "Error 3", { 275, 474, 15, 15 }, false },
        { "Progress", { 295, 469, 475, 27 }, true },
        { "Receive Begin Label", { 275, 469, 475, 27 }, false },
        { "Help Text", { 0, 69, 240, 20 }, true },
        { "Document", { 0, 89, 240, 20 }, true },
        { "Video", { 0, 109, 240, 20 }, true },
        { "More Help", { 0, 139, 240, 20 }, true },
        { "Support", { 0, 159, 240, 20 }, true },
        { "Forum", { 0, 179, 240, 20 }, true },
        { "Copyright Label", { 10, 531, 300, 15 }, true },
        { "Version Label", { 593, 531, 200, 15 }, true },
    };

    for (const auto& row : layout)
    {
        auto* c = child (row.name);
        ASSERT_NE (c, nullptr) << row.name;
        EXPECT_EQ (c->getBounds(), row.bounds) << row.name;
        EXPECT_EQ (c->isVisible(), row.visible) << row.name;
    }

    EXPECT_EQ (labelText ("Device Label"), "Select Device");
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
    EXPECT_EQ (labelText ("Version Label"), "Morvane MIDI Utility Version 2.10.0");
    EXPECT_EQ (labelText ("Receive Begin Label"), "Press BEGIN to select a backup type to receive.");
    EXPECT_EQ (console->getDeviceModel(), 247);

    for (auto* name : { "Browse", "Transmit", "Cancel", "File", "Select an Input Port", "Select an Output Port",
                        "Input Port Label", "Output Port Label", "showFolder" })
        EXPECT_FALSE (enabled (name)) << name;

    for (auto* name : { "Receive Tab Button", "Device Label", "Document", "Video", "Support", "Forum" })
        EXPECT_TRUE (enabled (name)) << name;

    ASSERT_NE (child ("showFolder"), nullptr);
    EXPECT_TRUE (visible ("showFolder"));

    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([this] { return ! visible ("Glim Eyes"); }, 20000));
}

TEST_F (ConsoleTest, SkinWithoutShowFolderStillMakesAWorkingConsole)
{
    build (false);
    EXPECT_EQ (child ("showFolder"), nullptr);

    dialogs.menuChoices = { 16 };
    console->showDeviceMenu();
    console->showReceivePage();
    console->showSendPage();
    console->setControlsEnabled (false);
    console->setControlsEnabled (true);
    EXPECT_TRUE (console->isInputOk() && console->isOutputOk());

    MorvaneDialog bare (nullptr, nullptr, dialogs, services, userFolder);
    bare.setControlsEnabled (false);
    bare.chooseDevice (3);
    EXPECT_FALSE (bare.isInputOk());
}

TEST_F (ConsoleTest, ChoosingEachDeviceOpensItsPortsByName)
{
    const struct { int model; const char* label; juce::String input, output; } cases[] = {
        { 3, "Orvix II Original/MK II", "ORVIX II MIDI 2", "ORVIX II MIDI 2" },
        { 6, "Orvix II XL", "ORVIX II MIDI 2", "ORVIX II MIDI 2" },
        { 7, "Orvix II XL+", "ORVIX II MIDI 2", "ORVIX II MIDI 2" },
        { 16, "Orvix III", "Orvix III MIDI 1", "Orvix III MIDI 1" },
        { 5, "LM6", "LM6 MIDI", "LM6 MIDI" },
        { 10, "LM6 MK II", "ORVIX II MIDI 2", "ORVIX II MIDI 2" },
        { 8, "KT4", "KT4 MIDI", "KT4 MIDI" },
    };

    for (const auto& c : cases)
    {
        dialogs.menuChoices = { c.model };
        console->showDeviceMenu();

        EXPECT_EQ (console->getDeviceModel(), c.model);
        EXPECT_EQ (currentDeviceModel.load(), c.model);
        EXPECT_EQ (labelText ("Device Label"), c.label);
        EXPECT_TRUE (visible ("Check"));
        EXPECT_EQ (labelText ("Input Port Label"), c.input) << c.label;
        EXPECT_EQ (labelText ("Output Port Label"), c.output) << c.label;
        EXPECT_TRUE (console->isInputOk() && console->isOutputOk()) << c.label;
        EXPECT_EQ (link->isInputConnected(), 1) << c.label;
        EXPECT_EQ (link->isOutputConnected(), 1) << c.label;
        EXPECT_TRUE (enabled ("Input Port Label") && enabled ("Output Port Label"));
        EXPECT_FALSE (visible ("MIDI Buffer Delay"));
        EXPECT_EQ (console->getBufferDelay(), 0);

        juce::String opened;
        EXPECT_TRUE (link->getPortManager().getInputName (opened));
        EXPECT_EQ (opened, c.input);
    }

    // Two ports of the same name: the automatic choice takes the first; the menu opens the one picked.
    dialogs.menuChoices = { 8 };
    console->showDeviceMenu();
    EXPECT_EQ (ports->getOpenedInputs().getReference (ports->getOpenedInputs().size() - 1), "in3");

    dialogs.menuChoices = { 5 };  // the second "KT4 MIDI" (menu ids count from 1 after "<< none >>")
    console->showInputPortMenu();
    EXPECT_EQ (ports->getOpenedInputs().getReference (ports->getOpenedInputs().size() - 1), "in4");
    EXPECT_EQ (dialogs.lastMenu[0], "<< none >>");
    EXPECT_EQ (dialogs.lastMenu.size(), 7);
}

TEST_F (ConsoleTest, NoMatchingPortOpensNothing)
{
    link.reset();
    console.reset();
    link = std::make_unique<MidiProcessing> (std::make_unique<FakePortBackend> (juce::StringArray { "Orvix III Midi" },
                                                                                juce::StringArray { "Midi Through" }));
    link->getPortManager().refreshDeviceLists();
    console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
    answerQuickly();

    console->chooseDevice (3);
    EXPECT_FALSE (console->isInputOk());
    EXPECT_FALSE (console->isOutputOk());
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    EXPECT_TRUE (enabled ("Input Port Label"));
    EXPECT_FALSE (enabled ("Browse"));
}

TEST_F (ConsoleTest, PortThatFailsToOpenIsNeverShownAsOpen)
{
    console->chooseDevice (16);
    ASSERT_TRUE (console->isInputOk());

    ports->refuse ("KT4 MIDI");
    dialogs.menuChoices = { 4 };
    console->showInputPortMenu();

    EXPECT_FALSE (console->isInputOk());
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    juce::String opened;
    EXPECT_FALSE (link->getPortManager().getInputName (opened));
    EXPECT_EQ (link->isInputConnected(), 0);

    ports->refuse ("Orvix III MIDI 1");
    console->chooseDevice (16);
    EXPECT_FALSE (console->isInputOk());
    EXPECT_FALSE (console->isOutputOk());
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
}

TEST_F (ConsoleTest, ChoosingNoPortStopsTheLinkAndLeavesThePageNotReady)
{
    console->chooseDevice (8);
    ASSERT_EQ (link->isOutputConnected(), 1);

    dialogs.menuChoices = { -1 };
    console->showOutputPortMenu();
    EXPECT_FALSE (console->isOutputOk());
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port") << "the picker goes back to its prompt";
    EXPECT_EQ (link->isOutputConnected(), 0);
    EXPECT_FALSE (link->isThreadRunning());
    EXPECT_FALSE (enabled ("File"));
}

TEST_F (ConsoleTest, ChoosingNoPortShowsNoPortDependentControl)
{
    // The foot controller on the send page needs only its output; the delay comes with a port.
    console->chooseDevice (2);
    dialogs.menuChoices = { 2 };   // "Orvix III MIDI 1"
    console->showOutputPortMenu();
    ASSERT_TRUE (console->isOutputOk());
    EXPECT_TRUE (visible ("MIDI Buffer Delay"));

    dialogs.menuChoices = { -1 };
    console->showOutputPortMenu();
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
    EXPECT_FALSE (visible ("MIDI Buffer Delay"));
    EXPECT_FALSE (enabled ("File"));

    // Chosen from a fresh device choice, "<< none >>" brings no slider either.
    console->chooseDevice (2);
    dialogs.menuChoices = { -1 };
    console->showOutputPortMenu();
    EXPECT_FALSE (visible ("MIDI Buffer Delay"));
}

TEST_F (ConsoleTest, PortPickersSayWhenNoPortsWereFound)
{
    // A machine without MIDI: both lists are empty.
    console.reset();
    link = std::make_unique<MidiProcessing> (std::make_unique<FakePortBackend> (juce::StringArray(), juce::StringArray()));
    link->getPortManager().refreshDeviceLists();
    console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
    answerQuickly();
    console->chooseDevice (16);

    dialogs.menuChoices = { 0 };
    console->showInputPortMenu();
    EXPECT_EQ (dialogs.lastMenu, juce::StringArray ({ "<< none >>", "No MIDI ports were found" }));
    console->showOutputPortMenu();
    EXPECT_EQ (dialogs.lastMenu, juce::StringArray ({ "<< none >>", "No MIDI ports were found" }));
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port") << "a dismissed menu changes nothing";

    // The picker's tooltip says why, beside the menu's own words.
    for (const auto* name : { "Input Port Label", "Output Port Label" })
    {
        auto* label = dynamic_cast<juce::Label*> (child (name));
        ASSERT_NE (label, nullptr);
        EXPECT_TRUE (label->getTooltip().startsWith ("No MIDI ports were found")) << name;
        EXPECT_TRUE (label->getTooltip().contains ("plugged in")) << name;
    }
}

TEST_F (ConsoleTest, FootControllerAndUtilityUseOnePortPerPage)
{
    console->chooseDevice (2);
    EXPECT_EQ (labelText ("Input Port Label"), "Port is not needed");
    EXPECT_FALSE (enabled ("Input Port Label"));
    EXPECT_TRUE (enabled ("Output Port Label"));
    EXPECT_FALSE (console->isOutputOk()) << "no automatic choice for the foot controller";
    EXPECT_FALSE (visible ("MIDI Buffer Delay"));

    dialogs.menuChoices = { 3 };  // "ORVIX II MIDI 2"
    console->showOutputPortMenu();
    EXPECT_TRUE (console->isOutputOk());
    EXPECT_EQ (link->isOutputConnected(), 1);
    EXPECT_EQ (link->isInputConnected(), 0);
    EXPECT_TRUE (visible ("MIDI Buffer Delay"));
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([this] { return console->getBufferDelay() == 150; }))
        << console->getBufferDelay();
    EXPECT_TRUE (enabled ("File"));

    click ("Receive Tab Button");
    console->showReceivePage();
    EXPECT_EQ (console->getReceiveMode(), 1);
    EXPECT_FALSE (console->isOutputOk());
    EXPECT_EQ (labelText ("Output Port Label"), "Port is not needed");
    EXPECT_FALSE (enabled ("Output Port Label"));
    EXPECT_TRUE (enabled ("Input Port Label"));
    EXPECT_TRUE (visible ("Receive Tab Focus"));
    EXPECT_FALSE (visible ("Receive Tab Button"));

    console->showSendPage();
    console->chooseDevice (4);
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    EXPECT_FALSE (enabled ("Input Port Label"));
    dialogs.menuChoices = { 1 };
    console->showOutputPortMenu();
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([this] { return console->getBufferDelay() == 300; }))
        << console->getBufferDelay();
}

TEST_F (ConsoleTest, UtilityIsOfferedOnlyOnTheSendPageWithCtrlAndIsForgottenOnTheReceivePage)
{
    console->showDeviceMenu();
    EXPECT_FALSE (dialogs.lastMenu.contains ("Utility"));
    EXPECT_EQ (dialogs.lastMenu.size(), 9);
    EXPECT_EQ (console->getDeviceModel(), 247) << "a dismissed menu changes nothing";

    dialogs.modifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    dialogs.menuChoices = { 255 };
    console->showDeviceMenu();
    EXPECT_TRUE (dialogs.lastMenu.contains ("Utility"));
    EXPECT_EQ (console->getDeviceModel(), 255);
    EXPECT_EQ (labelText ("Input Port Label"), "Port is not needed");

    console->showReceivePage();
    EXPECT_EQ (console->getDeviceModel(), 254);
    EXPECT_FALSE (console->isDeviceChosen());
    EXPECT_EQ (labelText ("Device Label"), "Select Device");
    EXPECT_FALSE (visible ("Check"));

    console->showDeviceMenu();
    EXPECT_FALSE (dialogs.lastMenu.contains ("Utility"));
}

TEST_F (ConsoleTest, DisabledLabelsOpenNoMenu)
{
    click ("Input Port Label");
    EXPECT_EQ (dialogs.menusShown, 0);

    console->setControlsEnabled (false);
    click ("Device Label");
    EXPECT_EQ (dialogs.menusShown, 0);

    console->setControlsEnabled (true);
    click ("Device Label");
    EXPECT_EQ (dialogs.menusShown, 1);
}

TEST_F (ConsoleTest, WhileWorkRunsNeitherPortCanChangeForAnyModel)
{
    for (int model : { 3, 16, 8, 2, 4, 255 })
    {
        console->chooseDevice (model);
        console->setControlsEnabled (false);

        for (auto* name : { "Input Port Label", "Output Port Label", "Select an Input Port", "Select an Output Port",
                            "Device Label", "Send Tab Button", "Receive Tab Button" })
            EXPECT_FALSE (enabled (name)) << name << " for model " << model;

        console->updatePageVisibility();
        EXPECT_FALSE (enabled ("Input Port Label")) << model;
        EXPECT_FALSE (enabled ("Output Port Label")) << model;

        const int before = dialogs.menusShown;
        click ("Output Port Label");
        EXPECT_EQ (dialogs.menusShown, before);

        console->setControlsEnabled (true);
        EXPECT_TRUE (enabled ("Output Port Label")) << model;
        EXPECT_TRUE (enabled ("Device Label"));
    }
}

TEST_F (ConsoleTest, DeviceLostReturnsToSelectDevice)
{
    console->chooseDevice (16);
    ASSERT_EQ (link->isInputConnected(), 1);

    console->onDeviceLost();
    EXPECT_EQ (console->getDeviceModel(), 254);
    EXPECT_FALSE (console->isDeviceChosen());
    EXPECT_EQ (labelText ("Device Label"), "Select Device");
    EXPECT_EQ (labelText ("Input Port Label"), "Select an Input Port");
    EXPECT_EQ (labelText ("Output Port Label"), "Select an Output Port");
    EXPECT_FALSE (enabled ("Input Port Label"));
    EXPECT_EQ (link->isInputConnected(), 0);
    EXPECT_FALSE (link->isThreadRunning());
}

TEST_F (ConsoleTest, HelpEntriesOpenTheirPages)
{
    for (auto* name : { "Document", "Video", "Support", "Forum" })
        dynamic_cast<juce::Button*> (child (name))->triggerClick();

    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([this] { return services.urls.size() == 4; }));
    EXPECT_TRUE (services.urls[0].endsWith (".pdf"));
    EXPECT_EQ (services.urls.size(), 4);
}

TEST_F (ConsoleTest, SliderSetsTheBufferDelayAndTheSendersInterval)
{
    auto* slider = dynamic_cast<juce::Slider*> (child ("MIDI Buffer Delay"));
    ASSERT_NE (slider, nullptr);
    EXPECT_EQ (slider->getMaximum(), 1000.0);
    EXPECT_EQ (slider->getInterval(), 10.0);
    EXPECT_EQ (slider->getTextValueSuffix(), " ms");

    slider->setValue (250.0, juce::sendNotificationSync);
    EXPECT_EQ (console->getBufferDelay(), 250);
    EXPECT_FALSE (link->getMultiMsgTimer().setInterval (250)) << "the sender already has the interval";
}

TEST_F (ConsoleTest, ClosingWithoutWorkAsksNothing)
{
    EXPECT_TRUE (console->confirmClose());
    EXPECT_TRUE (dialogs.boxes.empty());
    EXPECT_FALSE (console->getTransfers().isWorkRunning());
}

TEST_F (ConsoleTest, SettingsThatCannotBeSavedAreReported)
{
    const auto file = console->getSettings().getOptions().getDefaultFile();
    file.deleteFile();
    ASSERT_TRUE (file.createDirectory().wasOk());

    console->setSendDirectory (userFolder.getFullPathName());
    EXPECT_FALSE (console->saveSettingsAndWarn());
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "Preferences could not be saved.");
    EXPECT_EQ (dialogs.boxes[0].title, "Morvane");
    EXPECT_EQ (dialogs.boxes[0].icon, juce::MessageBoxIconType::WarningIcon);

    console.reset(); // the destructor's save fails quietly
    EXPECT_EQ (dialogs.boxes.size(), 1u);
}

TEST_F (ConsoleTest, ReceivePageUsesTheStoredFolderWhenItExists)
{
    const auto receive = userFolder.getChildFile ("backups");
    ASSERT_TRUE (receive.createDirectory().wasOk());
    console->setReceiveDirectory (receive.getFullPathName());
    ASSERT_TRUE (console->saveSettingsAndWarn());

    console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
    EXPECT_TRUE (console->isReceiveFolderChosen());
    console->showReceivePage();
    EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), receive.getFullPathName());

    receive.deleteRecursively();
    console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
    EXPECT_FALSE (console->isReceiveFolderChosen());
    EXPECT_EQ (labelText ("Receive Browse Label"), "Press BROWSE to select a folder where backups will be stored.");
}

TEST_F (ConsoleTest, ClosingWithoutAChosenReceiveFolderLeavesItUnchosenForTheNextStart)
{
    ASSERT_FALSE (console->isReceiveFolderChosen());
    ASSERT_TRUE (console->saveSettingsAndWarn());
    console.reset();

    console = std::make_unique<MorvaneDialog> (skinManager.get(), link.get(), dialogs, services, userFolder);
    EXPECT_FALSE (console->isReceiveFolderChosen()) << "the home folder was stored as if chosen";
    EXPECT_EQ (labelText ("Receive Browse Label"), "Press BROWSE to select a folder where backups will be stored.");
}

TEST (ConsoleToggles, SelectDeselectAndInvertSkipNullEntries)
{
    juce::ToggleButton a, b;
    b.setToggleState (true, juce::dontSendNotification);
    const juce::Array<juce::ToggleButton*> toggles { &a, nullptr, &b };

    BackupDialogFrame::invertToggleSelection (toggles);
    EXPECT_TRUE (a.getToggleState());
    EXPECT_FALSE (b.getToggleState());
    BackupDialogFrame::selectAllToggles (toggles);
    EXPECT_TRUE (a.getToggleState() && b.getToggleState());
    BackupDialogFrame::deselectAllToggles (toggles);
    EXPECT_FALSE (a.getToggleState() || b.getToggleState());
}

TEST (ConsoleMenus, PortNameFromMenu)
{
    juce::PopupMenu menu;
    menu.addItem (-1, "<< none >>");
    menu.addSeparator();
    menu.addItem (1, "A");
    menu.addItem (2, "B");
    EXPECT_EQ (ConsolePorts::nameFromMenu (-1, menu), "<< none >>");
    EXPECT_EQ (ConsolePorts::nameFromMenu (2, menu), "B");
    EXPECT_TRUE (ConsolePorts::nameFromMenu (3, menu).isEmpty());
}
} // namespace
