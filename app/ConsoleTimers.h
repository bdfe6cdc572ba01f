#pragma once

/** The console's timer table and the decision of its transfer poll, kept apart from the window
    so that both can be checked on their own.
*/
struct ConsoleTimers
{
    enum Id
    {
        logoTimer = 0,          ///< hides the logo eyes once, 1000 ms after start
        transferPollTimer = 1,  ///< polls the sender every 100 ms during a send
        unusedTimer = 2,
        devicePollTimer = 3,    ///< polls the device link every 750 ms while idle
        firmwareNotice4 = 4,    ///< first notice after a firmware send
        firmwareNotice5 = 5     ///< second notice after a firmware send
    };

    static constexpr int logoPeriodMs = 1000;
    static constexpr int transferPollPeriodMs = 100;
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

    /** Which retry count a backup step that failed or timed out uses. Only the jobs that send one
        request per cab, preset, slot or bank send a step again, up to maxStepRetries times; they
        are also the ones that "Cancel" stops after the current step.
    */
    enum class StepRetry
    {
        none,   ///< the run ends at the first failure
        orvix,  ///< the Orvix II all-user-cabs job, the Orvix III bank and user-cab-bank jobs
        kt4     ///< the KT4 bank-set jobs
    };

    static constexpr int maxStepRetries = 3;

    static StepRetry stepRetryFor (int model, int job) noexcept
    {
        if ((model == 3 || model == 6 || model == 7) && job == 19)
            return StepRetry::orvix;

        if (model == 16 && ((job >= 37 && job <= 40) || job == 46 || job == 47))
            return StepRetry::orvix;

        if (model == 8 && job >= 33 && job <= 36)
            return StepRetry::kt4;

        return StepRetry::none;
    }

    /** Backup jobs that run in many steps and may be cancelled after the current one. */
    static bool isMultiBankJob (int job) noexcept
    {
        return job == 19 || (job >= 33 && job <= 40) || job == 46 || job == 47;
    }
};
