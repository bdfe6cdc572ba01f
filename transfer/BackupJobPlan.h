#pragma once

#include "BackupJobType.h"
#include "BackupSelections.h"

#include <juce_core/juce_core.h>

#include <memory>

class SysExRequest;

/** What a backup run asks of the device, job by job: the ordered job list that a selection record
    gives, the request of each job (and of each step of the jobs that take many requests), the
    number handed to the job's ReceiveThread, its progress text, and which jobs may be retried or
    cancelled. Pure but for the third field of the Orvix III current-preset request, which
    repeats that of the program's previous Orvix III patch-dump request (message thread).
*/
class BackupJobPlan
{
public:
    /** The device facts and the user's choice that the requests are made from. */
    struct Context
    {
        juce::uint8 model = 0;              ///< the device's model code (currentDeviceModel)
        int displayOffset = 0;              ///< 1 when the device numbers presets from 1
        int userCabCount = 0;               ///< the device's user cab count
        juce::uint8 firmwareModel = 0;      ///< the model code of the device's firmware version reply
        OrvixIIBackupSelection orvixII;
        OrvixIIIBackupSelection orvixIII;
        KT4BackupSelection kt4;
        LM6BackupSelection lm6;
    };

    /** The jobs of each family's record, in the order a run carries them out. The Orvix II
        all-user-cabs job is left out when the device has no user cabs.
    */
    static juce::Array<int> jobsFor (const OrvixIIBackupSelection& selection, int userCabCount);
    static juce::Array<int> jobsFor (const OrvixIIIBackupSelection& selection);
    static juce::Array<int> jobsFor (const KT4BackupSelection& selection);
    static juce::Array<int> jobsFor (const LM6BackupSelection& selection);

    /** Whether the run asks for the current patch first and recalls it at the end. */
    static bool needsPatchQuery (const OrvixIIBackupSelection& selection);
    static bool needsPatchQuery (const OrvixIIIBackupSelection& selection);

    /** Whether a job takes one request per cab, preset, slot or bank (19, 33-36, 37-40, 46, 47). */
    static bool isSteppedJob (BackupJobType job) noexcept;

    /** The requests a job takes: a stepped job's steps, 1 for any other. On the Orvix II (model
        3), whose cab request carries the cab number in 7 bits, the all-user-cabs job stops at cab
        128.
    */
    static int stepCount (BackupJobType job, const Context& context) noexcept;

    /** Whether a timed-out step of the job on this model is sent again (up to 3 times). */
    static bool allowsRetry (juce::uint8 model, BackupJobType job) noexcept;

    /** Whether Cancel stops the run after the current step of this job on this model. */
    static bool isCancellable (juce::uint8 model, BackupJobType job) noexcept;

    /** The Orvix III jobs whose steps append to one file, and whose progress the run counts. */
    static bool runCountsProgress (BackupJobType job) noexcept;

    /** The request of a job's step, with the 3000 ms time-out; null when the job cannot be
        requested as chosen (a flag not set, a negative number, or a cab number that the device's
        request cannot carry). Uses currentDeviceModel.
    */
    static std::unique_ptr<SysExRequest> makeRequest (BackupJobType job, int step, const Context& context);

    /** The number that names some jobs' files (bank, preset or cab number). */
    static juce::uint16 receiveNumber (BackupJobType job, int step, const Context& context) noexcept;

    /** The text shown after "Now receiving: "; empty for a code that names no job. */
    static juce::String progressText (BackupJobType job, int step, const Context& context);

    /** The warning of a single-job run whose item the device does not hold; empty when none. */
    static juce::String emptyItemText (BackupJobType job);

    /** The model 3 cab request's largest cab index + 1. */
    static constexpr int orvixIIAddressableCabs = 128;
};
