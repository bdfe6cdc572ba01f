#pragma once

#include "PayloadKind.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** The send page's side of the send road: choosing or dropping a file and checking it for the
    device, BEGIN (classify, check, the send options where the kind needs them, the plan of the
    device's family, the send), and firmware handed over from memory. The checks, plans and the
    transfer live in SysExFileCheck, SendPlan, SendOptionsDialog and SendRoad.
*/
class ConsoleSendPage
{
public:
    explicit ConsoleSendPage (MorvaneDialog& console);

    void filesDropped (const juce::StringArray& files, int x, int y);
    bool chooseFileToSend (const juce::File& chosen);
    bool loadFileToSend (const juce::MemoryBlock& data, const juce::String& path, const juce::String& shownText);
    bool checkSysExFile (const juce::MemoryBlock& data) const;
    void reportUnsupportedFile (const juce::MemoryBlock& data);
    PayloadKind classifySysExFile (const juce::MemoryBlock& data);
    bool sendFirmwareImage (const juce::MemoryBlock& image, const juce::String& description);
    void transmit();
    int runSendOptions (PayloadKind kind);

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSendPage)
};
