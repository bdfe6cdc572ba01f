#include "FirmwareFeed.h"

#include "ModelRules.h"
#include "ProgramFeed.h"
#include "SysExDecoders.h"

FirmwareFeed FirmwareFeed::read (const juce::XmlElement& root, juce::uint8 model)
{
    FirmwareFeed feed;

    for (auto* product : root.getChildIterator())
    {
        if (! product->getTagName().equalsIgnoreCase ("PRODUCT"))
            continue;

        if ((product->getIntAttribute ("modelID") & 0xff) != model)
            continue;

        auto* version = ProgramFeed::findChild (*product, "VERSION");

        if (version == nullptr)
            continue;

        feed.found = true;
        feed.major = version->getIntAttribute ("major");
        feed.revision = version->getIntAttribute ("revision");
        feed.compatible = version->getBoolAttribute ("compatibility");
        feed.endOfLife = version->getBoolAttribute ("eol");

        if (auto* firmware = ProgramFeed::findChild (*version, "FIRMWARE"))
            feed.firmwareAddress = firmware->getStringAttribute ("url");

        if (auto* notes = ProgramFeed::findChild (*version, "RELEASENOTES"))
            feed.releaseNotesAddress = notes->getStringAttribute ("url");

        if (auto* notes = ProgramFeed::findChild (*version, "EOLNOTES"))
            feed.endOfLifeNotesAddress = notes->getStringAttribute ("url");
    }

    return feed;
}

bool FirmwareFeed::isNewerThan (int installedMajor, int installedMinor) const noexcept
{
    return major > installedMajor || (major == installedMajor && revision > installedMinor);
}

juce::String FirmwareFeed::getVersionText (juce::uint8 model) const
{
    const auto plain = juce::String::formatted ("%d.%02d", major, revision);

    FirmwareVersionRecord record;
    record.major = (juce::uint32) juce::jmax (0, major);
    record.minor = (juce::uint32) juce::jmax (0, revision);
    record.model = model;
    record.version = plain.getDoubleValue();

    juce::String name, text;

    if (formatFirmwareVersion (record, name, text))
        return text;

    return plain;
}
