#pragma once

/** The console's timer table and the decision of its transfer poll, kept apart from the window
    so that both can be checked on their own.
*/
struct ConsoleTimers
{
    enum Id
    {
        logoTimer = 0,          ///< hides the logo eyes once, 1000 ms after start
        devicePollTimer = 3,    ///< polls the device link every 750 ms while idle
        firmwareNotice4 = 4,    ///< first notice after a firmware send
        firmwareNotice5 = 5     ///< second notice after a firmware send
    };

    static constexpr int logoPeriodMs = 1000;
    static constexpr int devicePollPeriodMs = 750;
    static constexpr int firmwareNoticePeriodMs = 10000;

    /** What a tick of the transfer poll does for the sender's state. */
    enum class PollAction
    {
        reenableAndKeepPolling,  ///< idle or paused: controls back on, device poll restarted, poll goes on
        keepPolling,             ///< running: nothing
        canceled,                ///< stopped by the caller
        succeeded,               ///< finished
        deviceError,             ///< the device returned an error code
        noResponse,              ///< a request failed or timed out
        stopQuietly              ///< output not connected, or an unknown state: poll stops, no message
    };

    /** The action for a `TransferState` value (0 idle ... 7 request failed). */
    static PollAction pollActionFor (int transferState) noexcept
    {
        switch (transferState)
        {
            case 0: case 2: return PollAction::reenableAndKeepPolling;
            case 1:         return PollAction::keepPolling;
            case 3:         return PollAction::canceled;
            case 4:         return PollAction::succeeded;
            case 5:         return PollAction::deviceError;
            case 7:         return PollAction::noResponse;
            default:        return PollAction::stopQuietly;
        }
    }
};
