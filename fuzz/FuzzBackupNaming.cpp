// Backup file naming with preset and cab names from a device: whatever the name, the file lands
// in the folder the user chose.

#include "BackupFileNaming.h"
#include "FuzzInput.h"
#include "FuzzScratchFolder.h"
#include "SkinXmlReader.h"

#include <memory>

namespace
{
std::unique_ptr<FuzzScratchFolder> scratch;
juce::File folder;

void mustBeInFolder (const juce::File& file)
{
    if (file.getParentDirectory() != folder || ! file.getFileName().endsWith (".syx"))
    {
        fprintf (stderr, "escaped the folder: %s\n", file.getFullPathName().toRawUTF8());
        __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    scratch = std::make_unique<FuzzScratchFolder> ("morvane-fuzz-naming");
    folder = scratch->get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const auto number = input.word();
    const auto bytes = input.rest();

    // Names arrive as bytes: as Latin-1 characters from a dump, or as UTF-8 from a feed.
    juce::String latin1;

    for (size_t i = 0; i < bytes.getSize(); ++i)
        latin1 += (juce::juce_wchar) (juce::uint8) bytes[i];

    // Text from a feed is decoded as the skin's is: invalid UTF-8 never becomes a name.
    juce::String utf8;
    SkinXmlReader::decodeText (bytes.getData(), bytes.getSize(), utf8);

    for (const auto& name : { latin1, utf8 })
    {
        mustBeInFolder (findUniqueBackupFile (folder, makeLegalPresetFileName (name)));
        mustBeInFolder (findUniqueBackupFile (folder, makeLegalCabFileName (name)));
        mustBeInFolder (folder.getChildFile (formatNumberedCabFileName (number, makeLegalCabFileName (name, false)) + ".syx"));
        mustBeInFolder (findUniqueBackupFile (folder, name));
        mustBeInFolder (findUniqueBackupFile (folder, makeFileNameStayInFolder (name)));
    }

    return 0;
}
