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

    /** Browse on the receive page: "Choose save location", then setReceiveFolder. */
    void browseReceiveFolder();

    /** Takes an existing folder as the receive folder (stored as `RCV_DIR`); anything else is
        ignored.
    */
    void setReceiveFolder (const juce::String& path);

    /** Whether a drag can end on the receive page: the first path is an existing folder. */
    static bool canTakeDrag (const juce::StringArray& files);

    /** A drop on the receive page: inside the drop area, while no work runs, the first dropped
        path becomes the receive folder when it is an existing folder, as if chosen with Browse;
        while the ports that the device needs there are not set, one box says so instead. Files
        and any other drop are ignored.
    */
    void receiveFolderDropped (const juce::StringArray& files, int x, int y);

private:
    MorvaneDialog& c;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePage)
};
