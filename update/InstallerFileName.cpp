#include "InstallerFileName.h"

juce::String InstallerFileName::fromAddress (const juce::String& address)
{
    auto path = address.upToFirstOccurrenceOf ("?", false, false).upToFirstOccurrenceOf ("#", false, false);
    const auto last = path.fromLastOccurrenceOf ("/", false, false);

    juce::String safe;

    // Escapes are decoded here, byte by byte: juce::URL::removeEscapeChars makes a string of
    // whatever bytes they give, and one that is not valid UTF-8 is read past its end (found by
    // fuzzing the feeds). Only ASCII characters are kept anyway.
    const auto utf32 = last.toUTF32();
    const auto length = (int) utf32.length();
    auto digitAt = [&utf32, length] (int i) { return i < length ? juce::CharacterFunctions::getHexDigitValue (utf32[i]) : -1; };

    for (int i = 0; i < length; ++i)
    {
        auto character = utf32[i];

        if (character == '%' && digitAt (i + 1) >= 0 && digitAt (i + 2) >= 0)
        {
            character = (juce::juce_wchar) (digitAt (i + 1) * 16 + digitAt (i + 2));
            i += 2;
        }

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

    // One extension: a name that already ends in ".exe" keeps it as it is.
    const auto file = folder.getChildFile (safeName.endsWithIgnoreCase (".exe") ? safeName : safeName + ".exe");

    if (file.getParentDirectory() != folder)
        return {};

    return file;
}
