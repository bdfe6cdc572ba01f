#include "UpdateCheckSettings.h"

UpdateCheckSettings::UpdateCheckSettings (juce::PropertiesFile* settingsFile, const char* folderKeyToUse,
                                          const char* skipCheckKeyToUse)
    : settings (settingsFile),
      folderKey (folderKeyToUse),
      skipCheckKey (skipCheckKeyToUse),
      startFolder (juce::File::getSpecialLocation (juce::File::userHomeDirectory))
{
}

void UpdateCheckSettings::load()
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    startFolder = home;

    if (settings == nullptr)
        return;

    const auto stored = settings->getValue (folderKey);

    // The home folder stands in for a folder not chosen yet, but is not stored as a choice.
    if (stored.isNotEmpty() && juce::File::isAbsolutePath (stored) && juce::File (stored).exists())
        startFolder = juce::File (stored);

    skipCheck = settings->getBoolValue (skipCheckKey, false);
}

void UpdateCheckSettings::storeFolder (const juce::File& folder)
{
    startFolder = folder;

    if (settings != nullptr)
        settings->setValue (folderKey, folder.getFullPathName());
}

void UpdateCheckSettings::storeSkipCheck (bool skip)
{
    if (settings != nullptr)
        settings->setValue (skipCheckKey, skip);
}
