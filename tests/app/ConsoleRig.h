#pragma once

#include "AppTestDoubles.h"
#include "BackupRun.h"
#include "ConsoleDeviceInfo.h"
#include "ConsoleSendPage.h"
#include "DeviceQueries.h"
#include "DeviceQueryAnswers.h"
#include "MainAppWindow.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "MorvaneDialog.h"
#include "PacedReplies.h"
#include "SendFile.h"
#include "SendRoad.h"
#include "SimulatedDevice.h"
#include "SkinManager.h"
#include "SysExMessage.h"
#include "TestSkin.h"
#include "Transfers.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

/** The console inside its main window, on virtual MIDI ports with simulated devices, a test skin
    and scripted dialogs, with its settings in a temporary folder. The send and query tests
    share it.
*/
class ConsoleRig : public ::testing::Test
{
protected:
    ~ConsoleRig() override
    {
        replies.reset();
        answers.reset();
        window.reset();
        link.reset();
        devices.clear();
        currentDeviceModel = previousModel;
        userFolder.deleteRecursively();
    }

    void SetUp() override { ASSERT_TRUE (skinManager.load (false)); }

    morvane::test::SimulatedDevice& plugDevice (juce::uint8 model, const juce::String& portName)
    {
        devices.push_back (std::make_unique<morvane::test::SimulatedDevice> (hub, model, portName));
        return *devices.back();
    }

    /** Starts the link and the window once every port of the test is plugged. */
    MorvaneDialog& open()
    {
        link = std::make_unique<MidiProcessing> (hub.createBackend());
        link->timerCallback();   // the port lists, without waiting for the 2000 ms refresh
        window = std::make_unique<MainAppWindow> (&skinManager, link.get(), dialogs, services, userFolder);
        return *window->getConsole();
    }

    MorvaneDialog& console() { return *window->getConsole(); }

    juce::Component* child (const juce::String& name)
    {
        for (auto* c : console().getChildren())
            if (c->getName() == name)
                return c;

        return nullptr;
    }

    juce::String labelText (const juce::String& name)
    {
        auto* label = dynamic_cast<juce::Label*> (child (name));
        return label != nullptr ? label->getText() : juce::String ("<missing " + name + ">");
    }

    bool visible (const juce::String& name)
    {
        auto* c = child (name);
        return c != nullptr && c->isVisible();
    }

    bool enabled (const juce::String& name)
    {
        auto* c = child (name);
        return c != nullptr && c->isEnabled();
    }

    /** Ends the window, the link and the devices (their ports too), for the next case. */
    void closeAll()
    {
        replies.reset();
        answers.reset();
        window.reset();
        link.reset();

        for (auto& device : devices)
            device->unplug();

        devices.clear();
        dialogs.boxes.clear();
    }

    /** The text of the last box the console showed, or nothing. */
    juce::String lastText() const { return dialogs.boxes.empty() ? juce::String() : dialogs.boxes.back().text; }

    /** Presses one of the console's buttons as its click does; false when it has none by that name. */
    bool press (const juce::String& name)
    {
        auto* button = dynamic_cast<juce::Button*> (child (name));

        if (button == nullptr || button->onClick == nullptr)
            return false;

        button->onClick();
        return true;
    }

    /** Picks the device from the device menu as a user would. */
    void chooseFromMenu (int model)
    {
        dialogs.menuChoices = { model };
        console().showDeviceMenu();
    }

    /** Picks the output port from its menu by its place in the list of port names. */
    void chooseOutput (const juce::String& name)
    {
        juce::StringArray names;
        link->getOutputDeviceNames (names);
        ASSERT_TRUE (names.contains (name)) << name;
        dialogs.menuChoices = { names.indexOf (name) + 1 };
        console().showOutputPortMenu();
    }

    juce::StringArray boxTexts() const
    {
        juce::StringArray texts;

        for (const auto& box : dialogs.boxes)
            texts.add (box.text);

        return texts;
    }

    const juce::uint8 previousModel = currentDeviceModel.load();
    juce::File userFolder { juce::File::createTempFile ("user") };
    TestSkin skin;
    SkinManager skinManager { skin.folder };
    ScriptedUserDialogs dialogs;
    RecordingSystemServices services;
    morvane::test::VirtualMidiPorts hub;
    std::vector<std::unique_ptr<morvane::test::SimulatedDevice>> devices;
    /** A device's answers to the console's queries and its replies to a send, where a test
        sets them; they go before the devices they answer for.
    */
    std::unique_ptr<morvane::test::DeviceQueryAnswers> answers;
    std::unique_ptr<morvane::test::PacedReplies> replies;
    std::unique_ptr<MidiProcessing> link;
    std::unique_ptr<MainAppWindow> window;
};
