// The program and firmware feeds as the update service reads them: the body's text checked and
// parsed, the feed's fields read for every model, and the installer named from the feed's address,
// which must land in the chosen folder whatever the address.

#include "FirmwareFeed.h"
#include "FuzzInput.h"
#include "InstallerFileName.h"
#include "ProgramFeed.h"
#include "SkinXmlReader.h"
#include "UpdateFeedReader.h"

namespace
{
juce::File folder;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("morvane-fuzz-feeds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    juce::String text;

    if (! SkinXmlReader::decodeText (data, size, text))
        return 0;

    auto root = UpdateFeedReader::parseFeed (text);

    if (root == nullptr)
        return 0;

    const auto program = ProgramFeed::read (*root);
    program.isNewerThan (2, 10, 0);
    program.getVersionText();

    for (const juce::uint8 model : { 2, 3, 4, 5, 6, 7, 8, 10, 16 })
    {
        const auto firmware = FirmwareFeed::read (*root, model);
        firmware.isNewerThan (1, 0);
        firmware.getVersionText (model);
    }

    const auto name = InstallerFileName::fromAddress (program.installerAddress);
    const auto installer = InstallerFileName::makeInstallerPath (folder, name);

    if (installer != juce::File() && installer.getParentDirectory() != folder)
        __builtin_trap(); // the installer would land outside the chosen folder

    return 0;
}
