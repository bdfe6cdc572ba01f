#include "ConsoleSettings.h"

ConsoleSettings::ConsoleSettings (const juce::File& appDataFolder)
    : appData (appDataFolder == juce::File() ? juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                                             : appDataFolder)
{
}

ConsoleSettings::~ConsoleSettings()
{
    // The properties object saves what is still pending as it goes; a failure here can no
    // longer be shown, which is why the window saves (and warns) before it closes.
    file = nullptr;
    properties.reset();
}

juce::PropertiesFile::Options ConsoleSettings::getOptions() const
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Morvane";
    options.filenameSuffix = ".settings";

   #if JUCE_MAC
    options.osxLibrarySubFolder = "Application Support";
    options.folderName = "Zandrel Audio/Morvane";
   #else
    // An absolute folder: JUCE joins it to nothing, so the file lands in the application-data folder.
    options.folderName = appData.getChildFile ("Zandrel Audio").getChildFile ("Morvane").getFullPathName()
                         + juce::File::getSeparatorString();
   #endif

    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.processLock = const_cast<juce::InterProcessLock*> (&lock);
    return options;
}

bool ConsoleSettings::isUsableFolder (const juce::String& path)
{
    return path.isNotEmpty() && juce::File::isAbsolutePath (path) && juce::File (path).isDirectory();
}

juce::String ConsoleSettings::takeFolder (const char* key, bool& defaulted, bool storeDefault)
{
    const auto stored = file->getValue (key);
    defaulted = ! isUsableFolder (stored);

    if (! defaulted)
        return stored;

    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName();

    if (storeDefault)
        file->setValue (key, home);

    return home;
}

void ConsoleSettings::load()
{
    properties = std::make_unique<juce::ApplicationProperties>();
    properties->setStorageParameters (getOptions());
    file = properties->getUserSettings();

    bool sendDefaulted = false;
    sendFolder = takeFolder (sendDirKey, sendDefaulted, true);

    // The home folder stands in for a receive folder the user has not chosen, but is never
    // stored as one: a later start would take it as chosen and put backups there unasked.
    storedReceiveFolder = takeFolder (receiveDirKey, receiveFolderDefaulted, false);
    windowState = file->getValue (mainWindowStateKey);
}

void ConsoleSettings::setSendDirectory (const juce::String& path)
{
    sendFolder = path;

    if (file != nullptr)
        file->setValue (sendDirKey, path);
}

void ConsoleSettings::setReceiveDirectory (const juce::String& path)
{
    storedReceiveFolder = path;

    if (file != nullptr)
        file->setValue (receiveDirKey, path);
}

void ConsoleSettings::setWindowState (const juce::String& state)
{
    if (file != nullptr)
        file->setValue (mainWindowStateKey, state);
}

bool ConsoleSettings::save()
{
    return properties == nullptr || properties->saveIfNeeded();
}
