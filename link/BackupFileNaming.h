#pragma once

#include "BackupJobType.h"

#include <juce_core/juce_core.h>

/*  How the .syx file of a backup job is named.

    Most jobs write to folder/<base name><suffix>.syx, the base name being the run's time stamp.
    Jobs that fetch one preset or one user cab are named after what the device sent: the preset's
    or cab's name, made unique in the folder ("Clean.syx", "Clean (1).syx", ...). The user cabs of
    an Orvix II all-user-cabs run are named by their number and name ("007-Room.syx").

    Names that come from device data are made safe for a file system: characters that no file
    name may hold and control characters are replaced, and names that Windows reserves for
    devices (CON, NUL, COM1 ...) get a leading "_", so that a backup folder can be copied to any
    machine. All functions here are pure but for findUniqueBackupFile, which looks at the folder.
*/

/** How a job's file name is chosen. */
enum class BackupNameRule
{
    none,           // a code that names no job: no file name, so nothing can be written
    suffix,         // base name + getBackupFileSuffix()
    presetName,     // the name of the dumped preset, made unique in the folder
    cabName,        // the name of the dumped user cab, made unique in the folder
    numberedCabName // "NNN-<cab name>" for a user cab of an Orvix II all-user-cabs run
};

/** The naming rule of a job type. */
BackupNameRule getBackupNameRule (BackupJobType jobType) noexcept;

/** The suffix that follows the base name for a job of the suffix rule, e.g. "-bank-A" or
    "-preset-bank-12"; number is the bank number the console passed with the job. Empty for a job
    type that is not named by a suffix.
*/
juce::String getBackupFileSuffix (BackupJobType jobType, juce::uint16 number);

/** True for the jobs whose requests each fetch one preset or cab into one shared file, so that
    the replies of every request but the first are appended: Orvix III banks A-D and user cab banks
    1 and 2.
*/
bool isAppendingBackupJob (BackupJobType jobType) noexcept;

/** The models a preset dump of a one-preset job is tried as, in order (for example 3, 6, 7 for the
    Orvix II family). Empty for other jobs.
*/
juce::Array<juce::uint8> getPresetModelsForBackupJob (BackupJobType jobType);

/** A name from outside (a device, a feed) that can only name a file inside the folder it is
    joined to: path separators become "-", every ".." becomes "__", a leading '~' becomes "_"
    and a name that would still read as a path of its own gets a leading "_". Other characters
    are kept; an empty name stays empty.
*/
juce::String makeFileNameStayInFolder (const juce::String& name);

/** A preset name made fit for a file name: juce::File::createLegalFileName, control characters
    become blanks, the result is trimmed, made to stay in its folder (makeFileNameStayInFolder)
    and a reserved device name gets a leading "_". An empty result stays empty.
*/
juce::String makeLegalPresetFileName (const juce::String& presetName);

/** A cab name made fit for a file name: characters above 0x7F and control characters become
    blanks; \ / : * ? " < > | become "-"; trailing white space is removed; the name is made to stay
    in its folder (makeFileNameStayInFolder); an empty result becomes
    "EMPTY"; a reserved device name gets a leading "_" unless avoidReservedNames is false (for a
    name that will follow a number, as in "007-CON", which no platform reserves).
*/
juce::String makeLegalCabFileName (const juce::String& cabName, bool avoidReservedNames = true);

/** The name with a leading "_" when its part before the first dot is a device name that Windows
    reserves ("CON", "nul", "COM1", "LPT9.x" ...), so "_CON"; otherwise the name unchanged.
*/
juce::String avoidReservedFileName (const juce::String& name);

/** The stem of a user cab file of an all-user-cabs run: the number in three digits, "-", the name.
    Numbers of 1000 and above keep all their digits.
*/
juce::String formatNumberedCabFileName (juce::uint16 number, const juce::String& cabName);

/** The first of folder/name.syx, folder/name (1).syx, folder/name (2).syx ... at which nothing
    exists yet (neither a file nor a folder). The name is first made to stay in the folder
    (makeFileNameStayInFolder), so the file's parent is always the folder; an empty or blank
    name counts as "unnamed".
*/
juce::File findUniqueBackupFile (const juce::File& folder, const juce::String& name);
