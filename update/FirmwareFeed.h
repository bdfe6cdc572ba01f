#pragma once

#include <juce_core/juce_core.h>

/** What the firmware feed publishes for one device model.

    The feed's root holds one `PRODUCT` per model (modelID, compared in its low 8 bits); its
    `VERSION` child gives major, revision, compatibility and eol, and inside it `FIRMWARE`,
    `RELEASENOTES` and `EOLNOTES` give their url. A matching product without `VERSION` is
    skipped; when several match, a later one overwrites what an earlier one gave, element by
    element. Tags compare ignoring case.
*/
struct FirmwareFeed
{
    bool found = false;   ///< a matching product with a VERSION was seen
    int major = 0, revision = 0;
    bool compatible = false, endOfLife = false;
    juce::String firmwareAddress, releaseNotesAddress, endOfLifeNotesAddress;

    /** Reads the feed document's root element for the model. */
    static FirmwareFeed read (const juce::XmlElement& root, juce::uint8 model);

    /** True when the feed's major is above the installed major, or equal with a revision above
        the installed minor.
    */
    bool isNewerThan (int installedMajor, int installedMinor) const noexcept;

    /** "%d.%02d" of major and revision, as the device's own version text would read, through the
        link's firmware version format for the model.
    */
    juce::String getVersionText (juce::uint8 model) const;
};
