#include "SendFileIntake.h"

#include "RegularFileReader.h"
#include "SysExFileCheck.h"

#include <filesystem>
#include <system_error>

namespace
{
namespace fs = std::filesystem;

/** What lies at the path, told from its type alone: nothing is opened. The standard library's
    file types are used because the framework's File cannot tell an ordinary file from a pipe or
    a device, and opening a pipe without a writer blocks.
*/
SendFileIntake::Refusal refusalByType (const juce::File& file)
{
    using Refusal = SendFileIntake::Refusal;

    const auto path = fs::u8path (file.getFullPathName().toStdString());
    std::error_code error;
    const auto own = fs::symlink_status (path, error);

    if (own.type() == fs::file_type::not_found || own.type() == fs::file_type::none)
        return Refusal::missing;

    error.clear();
    const auto target = fs::status (path, error);

    if (error == std::errc::too_many_symbolic_link_levels)
        return Refusal::linkLoop;

    if (target.type() == fs::file_type::not_found)
        return fs::is_symlink (own) ? Refusal::brokenLink : Refusal::missing;

    if (error)
        return Refusal::unreadable;

    if (fs::is_directory (target))
        return Refusal::folder;

    if (! fs::is_regular_file (target))
        return Refusal::notAFile;

    return Refusal::none;
}

constexpr const char* chooseAnother = "\n\nPlease choose a different file.";
} // namespace

SendFileIntake::Result SendFileIntake::read (const juce::File& file, juce::int64 maxBytes,
                                             const std::function<void()>& betweenCheckAndOpen)
{
    Result result;
    result.refusal = refusalByType (file);

    if (! result.isAccepted())
        return result;

    if (betweenCheckAndOpen != nullptr)
        betweenCheckAndOpen();

    // What is opened may no longer be what was looked at: the opened handle says what it is.
    switch (RegularFileReader::read (file, maxBytes, result.data))
    {
        case RegularFileReader::Outcome::read:
            if (result.data.isEmpty())
                result.refusal = Refusal::empty;
            break;

        case RegularFileReader::Outcome::notOpened:
        {
            // Gone or changed since the look: say what stands there now.
            const auto now = refusalByType (file);
            result.refusal = now == Refusal::none ? Refusal::unreadable : now;
            break;
        }

        case RegularFileReader::Outcome::folder:   result.refusal = Refusal::folder; break;
        case RegularFileReader::Outcome::notAFile: result.refusal = Refusal::notAFile; break;
        case RegularFileReader::Outcome::tooLarge: result.refusal = Refusal::tooLarge; break;
        case RegularFileReader::Outcome::failed:   result.refusal = Refusal::unreadable; break;
    }

    if (! result.isAccepted())
        result.data.reset();

    return result;
}

juce::String SendFileIntake::textFor (Refusal refusal)
{
    switch (refusal)
    {
        case Refusal::none:       return {};
        case Refusal::missing:    return juce::String ("The selected file does not exist.") + chooseAnother;
        case Refusal::folder:     return juce::String ("The selection is a folder, not a file.") + chooseAnother;
        case Refusal::brokenLink: return juce::String ("The selected file is a link to a file that does not exist.") + chooseAnother;
        case Refusal::linkLoop:   return juce::String ("The selected file is a link that leads round in a circle and never reaches a file.")
                                         + chooseAnother;
        case Refusal::notAFile:   return juce::String ("The selection is not an ordinary file (it is a device, a pipe or a socket).")
                                         + chooseAnother;
        case Refusal::unreadable: return juce::String ("The selected file could not be read.") + chooseAnother;
        case Refusal::empty:      return juce::String ("The selected file is empty.") + chooseAnother;
        case Refusal::tooLarge:   return SysExFileCheck::tooLargeText();
    }

    return {};
}
