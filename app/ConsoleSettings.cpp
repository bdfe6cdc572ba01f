#include "ConsoleSettings.h"

#include "HeldFolder.h"
#include "RegularFileReader.h"
#include "SkinXmlReader.h"

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
    unsavedFile.reset();
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

juce::String ConsoleSettings::takeFolder (const char* key, bool& defaulted)
{
    const auto stored = file->getValue (key);
    defaulted = ! isUsableFolder (stored);

    // The home folder stands in for a folder the user has not chosen, but is never stored as
    // one: a later start would take it as chosen.
    return defaulted ? juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName() : stored;
}

bool ConsoleSettings::isReadable (const juce::File& path)
{
    // Only an ordinary file of a sensible size is read, through one handle that a pipe put at
    // the path cannot block. The framework's parser recurses once per level and expands entities
    // without bound: the text is checked as the skin's and the feeds' are before it reads it.
    juce::MemoryBlock data;
    juce::String text;

    if (RegularFileReader::read (path, maxFileBytes, data) != RegularFileReader::Outcome::read
        || ! SkinXmlReader::decodeText (data.getData(), data.getSize(), text))
        return false;

    const auto root = SkinXmlReader::parse (text);

    if (root == nullptr || ! root->hasTagName ("PROPERTIES"))
        return false;

    // Every value is written as an attribute. The framework reads a value held inside its
    // element back as that element's text, with a writer that dereferences a null pointer on some
    // nestings of text and elements (found by fuzzing): a file holding one is not ours.
    for (auto* value : root->getChildWithTagNameIterator ("VALUE"))
        if (value->getNumChildElements() > 0)
            return false;

    return true;
}

juce::File ConsoleSettings::keepAside (const juce::File& path)
{
    const auto folder = HeldFolder::open (path.getParentDirectory());

    if (folder == nullptr)
        return {};

    for (int number = 1; number < 1000; ++number)
    {
        const auto name = path.getFileName() + ".unreadable" + (number > 1 ? "-" + juce::String (number) : juce::String());

        if (folder->rename (path.getFileName(), name, false))
            return path.getSiblingFile (name);

        // A file kept at an earlier start holds this name: the next one is tried.
        if (folder->lookUp (name) == HeldFolder::Entry::nothing)
            break;
    }

    return {};
}

void ConsoleSettings::load()
{
    file = nullptr;
    properties.reset();
    unsavedFile.reset();
    startNotice.clear();
    keptFile = juce::File();

    const auto options = getOptions();

    {
        // The framework's reader takes the same lock again: no other start changes the file
        // between the check and the read.
        const juce::InterProcessLock::ScopedLockType holding (lock);
        const auto path = options.getDefaultFile();

        if (path.exists() && ! isReadable (path))
        {
            keptFile = keepAside (path);

            if (keptFile != juce::File())
            {
                startNotice = "The settings file could not be read. It was kept as:\n" + keptFile.getFullPathName()
                              + "\n\nMorvane starts with its default settings.";
            }
            else
            {
                // Left where it is, untouched; these settings live until the program ends.
                startNotice = "The settings file could not be read:\n" + path.getFullPathName()
                              + "\n\nMorvane starts with its default settings and cannot store them.";
                unsavedFile = std::make_unique<juce::PropertiesFile> (juce::File(), options);
            }
        }

        if (unsavedFile != nullptr)
        {
            file = unsavedFile.get();
        }
        else
        {
            properties = std::make_unique<juce::ApplicationProperties>();
            properties->setStorageParameters (options);
            file = properties->getUserSettings();
        }
    }

    bool sendDefaulted = false;
    sendFolder = takeFolder (sendDirKey, sendDefaulted);
    storedReceiveFolder = takeFolder (receiveDirKey, receiveFolderDefaulted);
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
    if (unsavedFile != nullptr)
        return unsavedFile->saveIfNeeded();

    return properties == nullptr || properties->saveIfNeeded();
}
