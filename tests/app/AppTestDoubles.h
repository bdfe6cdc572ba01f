#pragma once

#include "MidiPortBackend.h"
#include "SystemServices.h"
#include "UserDialogs.h"

#include <deque>
#include <functional>
#include <set>

/** UserDialogs for tests: records every box and question, answers menus and questions from
    scripts, and reports the modifier keys it is told to.
*/
class ScriptedUserDialogs : public UserDialogs
{
public:
    struct Box
    {
        juce::MessageBoxIconType icon;
        juce::String title, text;
        bool question;
    };

    void showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) override
    {
        boxes.push_back ({ icon, title, text, false });

        if (onBox != nullptr)
            onBox (boxes.back());
    }

    bool askOkCancel (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) override
    {
        boxes.push_back ({ icon, title, text, true });

        if (onBox != nullptr)
            onBox (boxes.back());

        if (answers.empty())
            return false;

        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    int showMenu (const juce::PopupMenu& menu, juce::Component*) override
    {
        lastMenu.clear();

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
            if (! it.getItem().isSeparator)
                lastMenu.add (it.getItem().text);

        ++menusShown;

        if (menuChoices.empty())
            return 0;

        const int choice = menuChoices.front();
        menuChoices.pop_front();
        return choice;
    }

    juce::File chooseFileToOpen (const juce::String& title, const juce::File&, const juce::String& patterns) override
    {
        openChooser = title + " " + patterns;
        return {};
    }

    juce::File chooseFolder (const juce::String&, const juce::File&) override { return {}; }
    juce::File chooseFileToSave (const juce::String&, const juce::File&, const juce::String&) override { return {}; }
    juce::ModifierKeys currentModifiers() override { return modifiers; }

    std::vector<Box> boxes;
    /** Called as each box or question shows, while it would stand over the window. */
    std::function<void (const Box&)> onBox;
    std::deque<bool> answers;
    std::deque<int> menuChoices;
    juce::StringArray lastMenu;
    juce::String openChooser;   ///< the title and patterns of the last file chooser
    int menusShown = 0;
    juce::ModifierKeys modifiers;
};

/** SystemServices for tests: records what was asked; starting a process succeeds as told. */
class RecordingSystemServices : public SystemServices
{
public:
    bool openUrl (const juce::URL& address) override { urls.add (address.toString (false)); return true; }
    void revealFile (const juce::File& file) override { revealed.add (file.getFullPathName()); }

    bool startProcess (const juce::File& file, const juce::String&) override
    {
        started.add (file.getFullPathName());
        return processStarts;
    }

    void quit() override { ++quits; }

    juce::StringArray urls, revealed, started;
    bool processStarts = true;
    int quits = 0;
};

/** MIDI ports in memory: named inputs and outputs, some of which refuse to open. */
class FakePortBackend : public MidiPortBackend
{
public:
    FakePortBackend (juce::StringArray inputNames, juce::StringArray outputNames)
        : inputs (std::move (inputNames)), outputs (std::move (outputNames))
    {
    }

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override { return infos (inputs, "in"); }
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return infos (outputs, "out"); }

    std::unique_ptr<Input> openInput (const juce::MidiDeviceInfo& device, juce::MidiInputCallback&) override
    {
        const juce::ScopedLock sl (lock);

        if (refused.count (device.name) > 0 || ! device.identifier.startsWith ("in"))
            return nullptr;

        openedInputs.add (device.identifier);
        return std::make_unique<FakeInput>();
    }

    std::unique_ptr<Output> openOutput (const juce::MidiDeviceInfo& device) override
    {
        const juce::ScopedLock sl (lock);

        if (refused.count (device.name) > 0 || ! device.identifier.startsWith ("out"))
            return nullptr;

        openedOutputs.add (device.identifier);
        return std::make_unique<FakeOutput>();
    }

    void refuse (const juce::String& name) { const juce::ScopedLock sl (lock); refused.insert (name); }

    juce::StringArray getOpenedInputs() const { const juce::ScopedLock sl (lock); return openedInputs; }
    juce::StringArray getOpenedOutputs() const { const juce::ScopedLock sl (lock); return openedOutputs; }

private:
    struct FakeInput : public Input
    {
        void start() override {}
        void stop() override {}
    };

    struct FakeOutput : public Output
    {
        void sendMessageNow (const juce::MidiMessage&) override {}
    };

    static juce::Array<juce::MidiDeviceInfo> infos (const juce::StringArray& names, const juce::String& prefix)
    {
        juce::Array<juce::MidiDeviceInfo> result;

        for (int i = 0; i < names.size(); ++i)
            result.add (juce::MidiDeviceInfo (names[i], prefix + juce::String (i)));

        return result;
    }

    juce::CriticalSection lock;
    juce::StringArray inputs, outputs, openedInputs, openedOutputs;
    std::set<juce::String> refused;
};
