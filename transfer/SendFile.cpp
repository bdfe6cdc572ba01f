#include "SendFile.h"

#include "DeviceRules.h"
#include "SendFileIntake.h"

SendFile::SendFile (TransferView& viewToUse)
    : view (viewToUse)
{
}

bool SendFile::accepts (const juce::MemoryBlock& bytes, int deviceModel, juce::uint32 firmwareMajor)
{
    if (SysExFileCheck::accepts (bytes, deviceModel, firmwareMajor))
        return true;

    view.tell (Severity::warning, SysExFileCheck::refusalText (bytes, deviceModel));
    return false;
}

bool SendFile::takeFile (const juce::File& file, int deviceModel, juce::uint32 firmwareMajor)
{
    // Only an ordinary file of a sendable size is read; every other path is refused with its reason.
    auto intake = SendFileIntake::read (file, SysExFileCheck::maxFileBytes);

    if (! intake.isAccepted())
    {
        view.tell (Severity::warning, intake.getText());
        return false;
    }

    if (! accepts (intake.data, deviceModel, firmwareMajor))
        return false;

    data = std::move (intake.data);
    path = file.getFullPathName();
    description.clear();
    loaded = true;
    inMemory = false;
    return true;
}

bool SendFile::takeImage (const juce::MemoryBlock& image, const juce::String& text, int deviceModel,
                          juce::uint32 firmwareMajor)
{
    if (! accepts (image, deviceModel, firmwareMajor))
        return false;

    data = image;
    path.clear();
    description = text;
    loaded = true;
    inMemory = true;
    return true;
}

void SendFile::holdDownload (juce::MemoryBlock image, PayloadKind kindOfImage, const juce::String& text)
{
    data = std::move (image);
    kind = kindOfImage;
    path.clear();
    description = text;
    loaded = true;
    inMemory = true;
}

PayloadKind SendFile::classify (int deviceModel)
{
    kind = SysExFileCheck::classify (data, deviceModel, counts);
    return kind;
}

bool SendFile::check (int deviceModel, juce::uint32 firmwareMajor)
{
    if (deviceModel == DeviceRules::utilityModel || SysExFileCheck::checkSysExFile (data, deviceModel, firmwareMajor))
        return true;

    view.tell (Severity::warning, SysExFileCheck::refusalText (data, deviceModel));
    return false;
}

juce::String SendFile::getShownText() const
{
    return inMemory ? description : juce::File (path).getFileName();
}

juce::String SendFile::getLinkText() const
{
    if (! loaded)
        return {};

    return inMemory ? description : path;
}
