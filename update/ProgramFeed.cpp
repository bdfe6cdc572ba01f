#include "ProgramFeed.h"

const juce::XmlElement* ProgramFeed::findChild (const juce::XmlElement& parent, const juce::String& tag)
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;

    return nullptr;
}

ProgramFeed ProgramFeed::read (const juce::XmlElement& root)
{
    ProgramFeed feed;

    if (auto* version = findChild (root, "VERSION"))
    {
        feed.major = version->getIntAttribute ("major");
        feed.minor = version->getIntAttribute ("minor");
        feed.revision = version->getIntAttribute ("revision");
        feed.compatible = version->getBoolAttribute ("compatibility");
        feed.endOfLife = version->getBoolAttribute ("eol");

        if (auto* url = findChild (*version, "URL"))
            feed.installerAddress = url->getStringAttribute ("win");
    }

    if (auto* notes = findChild (root, "RELEASENOTES"))
    {
        feed.hasReleaseNotes = true;
        feed.releaseNotesAddress = notes->getStringAttribute ("url");
    }

    if (auto* notes = findChild (root, "EOLNOTES"))
    {
        feed.hasEndOfLifeNotes = true;
        feed.endOfLifeNotesAddress = notes->getStringAttribute ("url");
    }

    return feed;
}

bool ProgramFeed::isNewerThan (int installedMajor, int installedMinor, int installedRevision) const noexcept
{
    if (major != installedMajor)
        return major > installedMajor;

    if (minor != installedMinor)
        return minor > installedMinor;

    return revision > installedRevision;
}

juce::String ProgramFeed::getVersionText() const
{
    return juce::String (major) + "." + juce::String (minor) + "." + juce::String (revision);
}
