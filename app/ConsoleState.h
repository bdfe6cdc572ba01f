#pragma once

#include "TransferView.h"

#include <juce_core/juce_core.h>

/** The one rule for what the console's page shows of its device and its work: whether the device
    counts as connected, whether BEGIN, BROWSE and Cancel are offered, and what the status line,
    the progress bar and the success mark show after a road of work has ended.

    Every place that shows these asks here, so that the line, the bar, the mark and the controls
    never tell different stories. Pure: needs no window and no link.
*/
struct ConsoleState
{
    /** What the page knows of the chosen device and its ports. */
    struct Link
    {
        int model = 0;
        bool deviceChosen = false;
        /** The pickers' open ports. */
        bool inputOpen = false, outputOpen = false;
        /** The link reaches the ports the model needs on this page, and they are still listed. */
        bool reached = false;
        /** The device has told its firmware version since it was chosen (or last reached). */
        bool answered = false;
    };

    /** What the page itself holds. */
    struct Page
    {
        bool receivePage = false;
        /** A file to send is loaded (send page), or a receive folder is chosen (receive page). */
        bool hasWhatBeginNeeds = false;
        /** Work runs: the page is locked. */
        bool locked = false;
    };

    /** What the page's controls show. */
    struct Controls
    {
        bool connected = false;     ///< "Connected (FW: ...)" and the ports' marks
        bool browse = false;        ///< BROWSE and the File field
        bool begin = false;         ///< BEGIN
    };

    /** The processors must answer before they count as connected; the foot controllers and the
        Utility only listen, so their reached ports are enough.
    */
    static bool mustAnswer (int model) noexcept;

    /** Whether the device counts as connected on this page: its ports are open and reached and,
        when it must answer, it has answered.
    */
    static bool isConnected (const Link& link, bool receivePage) noexcept;

    static Controls controlsFor (const Link& link, const Page& page) noexcept;

    /** Cancel is offered only while work runs and the road in hand can be stopped. */
    static bool cancelOffered (bool locked, bool roadCanStop) noexcept { return locked && roadCanStop; }

    //==============================================================================
    /** What the line, the bar and the mark show once a road has ended. */
    struct Shown
    {
        juce::String line;
        double bar = 0.0;
        bool tick = false;
    };

    /** Complete: the bar full and the mark. Stopped where the line says so: the bar at that same
        percentage. Anything else: the bar empty. Never a mark but for success.
    */
    static Shown showEnding (const TransferEnding& ending);

    /** The bar's value while work runs: the share at its shown whole percent (99 at most), so that
        the bar's own percentage and every text about it agree.
    */
    static double barWhileRunning (double fraction) noexcept;
};
