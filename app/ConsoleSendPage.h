#pragma once

#include "PayloadKind.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** The send page's side of the send road: choosing or dropping a file and handing it to the
    transfers' SendFile, which reads, checks and classifies it; BEGIN (the send options where the
    kind needs them, the plan of the device's family, the send); and firmware handed over from
    memory. The plans and the transfer live in SendPlan, SendOptionsDialog and SendRoad.
*/
class ConsoleSendPage
{
public:
    explicit ConsoleSendPage (MorvaneDialog& console);

    /** Whether a drag can end on the page: the first path is an existing file. */
    static bool canTakeDrag (const juce::StringArray& files);

    /** A drop inside the drop area while no work runs: a .syx file is loaded when the device's
        ports are set; otherwise one box says why nothing happens.
    */
    void filesDropped (const juce::StringArray& files, int x, int y);
    bool chooseFileToSend (const juce::File& chosen);
    bool sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description);
    void transmit();
    int runSendOptions (PayloadKind kind);

private:
    void showLoadedFile();

    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSendPage)
};
