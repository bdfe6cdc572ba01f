#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MorvaneDialog;

/** The state of the console's two pages: which page shows, which controls are usable for the
    chosen device, its ports and the work in hand, what the File field and the status lines
    say, and what the device poll found.
*/
class ConsolePage
{
public:
    explicit ConsolePage (MorvaneDialog& console);

    void updatePageVisibility();
    bool isConnectedForModel() const;
    void resetReceivePage();
    void setControlsEnabled (bool enabled);
    void showReceivePage();
    void showSendPage();

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePage)
};
