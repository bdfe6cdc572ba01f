#include "InstallerFileName.h"

juce::String InstallerFileName::fromAddress (const juce::String& address)
{
    auto path = address.upToFirstOccurrenceOf ("?", false, false).upToFirstOccurrenceOf ("#", false, false);
    auto last = juce::URL::removeEscapeChars (path.fromLastOccurrenceOf ("/", false, false));

    juce::String safe;

    for (auto character : last)
    {
        const bool allowed = (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z')
                             || (character >= '0' && character <= '9')
                             || character == '.' || character == '-' || character == '_';

        if (allowed)
            safe << juce::String::charToString (character);
    }

    safe = safe.trimCharactersAtStart (".-").substring (0, maxNameLength);

    return safe.isEmpty() ? juce::String (fallbackName) : safe;
}

juce::File InstallerFileName::makeInstallerPath (const juce::File& folder, const juce::String& safeName)
{
    if (folder == juce::File() || safeName.isEmpty())
        return {};

    const auto file = folder.getChildFile (safeName + ".exe");

    if (file.getParentDirectory() != folder)
        return {};

    return file;
}
