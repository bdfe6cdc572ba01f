#pragma once

#include "PayloadKind.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class ConsoleSettings;
class SendOptionsDialog;
class SkinManager;
class ConsoleTransferView;
class Transfers;
class UserDialogs;
struct ConsoleWidgets;

/** The send page's side of the send road: choosing or dropping a file and handing it to the
    transfers' SendFile, which reads, checks and classifies it; BEGIN (the send options where the
    kind needs them, the plan of the device's family, the send); and firmware handed over from
    memory. The plans and the transfer live in SendPlan, SendOptionsDialog and SendRoad.

    It works on the console through the calls it is given. Message thread only.
*/
class ConsoleSendPage
{
public:
    /** What the page reads from the console when it acts. */
    struct State
    {
        int deviceModel = 0;
        bool sendPage = true, locked = false;
        /** The device counts as connected (the console's one rule): a file may be chosen. */
        bool connected = false;
        int bufferDelay = 0;
    };

    /** What the page works on and tells. */
    struct Console
    {
        ConsoleWidgets& ui;
        UserDialogs& dialogs;
        ConsoleSettings& settings;
        Transfers& transfers;
        /** The page's ending goes when a file is loaded or BEGIN is pressed. */
        ConsoleTransferView& view;
        SkinManager* skin;
        /** The send options are centred on it. */
        juce::Component& centre;
        std::function<State()> state;
        /** A file was loaded: the page's controls follow. */
        std::function<void()> pageChanged;
        /** Runs the send options in place of the modal window when set (tests). */
        const std::function<int (SendOptionsDialog&)>& optionsRunner;
    };

    explicit ConsoleSendPage (Console console);
    ~ConsoleSendPage();

    /** Whether the page can use a drag: the first path is an existing .syx file. */
    static bool canTakeDrag (const juce::StringArray& files);

    /** Why the page cannot use the dragged paths (the text of its box); empty when it can. */
    static juce::String refusalFor (const juce::StringArray& files);

    /** A drop anywhere on the console: a .syx file is loaded when the device's ports are set and
        no work runs; otherwise one box says why nothing happens.
    */
    void filesDropped (const juce::StringArray& files);

    /** Loads the file (the chooser when file is empty), checks it for the device and, when it
        is accepted, makes it the page's loaded file. False, after the refusal warning where
        there is one, otherwise.
    */
    bool chooseFileToSend (const juce::File& chosen);

    /** Sends a firmware image held in memory at once, as if loaded from a file described by
        description; false when nothing could be started.
    */
    bool sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description);

    /** BEGIN: classify, check, confirm the options where needed, and start the send. */
    void transmit();

private:
    int runSendOptions (PayloadKind kind);
    void showLoadedFile();

    Console c;
    std::unique_ptr<SendOptionsDialog> sendDialog;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSendPage)
};
