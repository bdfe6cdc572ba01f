#pragma once

#include <juce_core/juce_core.h>

/** What the program feed publishes: the newest version, whether this program can install it
    itself, whether it is the last one, and where the installer and the notes are.

    Read from the feed's root element: `VERSION` (major, minor, revision, compatibility, eol) with
    its `URL` child (win), and `RELEASENOTES` and `EOLNOTES` (url). Tags compare ignoring case;
    what is absent keeps the defaults below (version 0.0.0 is never newer).
*/
struct ProgramFeed
{
    int major = 0, minor = 0, revision = 0;
    bool compatible = false, endOfLife = false;
    juce::String installerAddress;
    bool hasReleaseNotes = false, hasEndOfLifeNotes = false;
    juce::String releaseNotesAddress, endOfLifeNotesAddress;

    /** Reads the feed document's root element. */
    static ProgramFeed read (const juce::XmlElement& root);

    /** True when this version is above the installed one (major, then minor, then revision). */
    bool isNewerThan (int installedMajor, int installedMinor, int installedRevision) const noexcept;

    /** "major.minor.revision". */
    juce::String getVersionText() const;

    /** The first child of the element whose tag matches, ignoring case; null when none. */
    static const juce::XmlElement* findChild (const juce::XmlElement& parent, const juce::String& tag);
};
