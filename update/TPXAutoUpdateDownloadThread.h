#pragma once

#include "DurableFile.h"
#include "UpdateDownloadThread.h"

#include <memory>

/** Downloads the program installer and saves it in the folder the user chose.

    The bytes are written as they arrive, into a hidden temporary file beside the target (see
    DurableFile); only a whole body that starts as a Windows program does ("MZ") is kept. It then
    takes the target's name, or, when anything stands under that name already (a file, a folder,
    a link of any kind, even one that leads nowhere), the first free name "<name> (2).exe",
    "<name> (3).exe", ...: nothing of the user's is ever replaced. A download cancelled after its
    last chunk keeps nothing. A file that cannot be written gives DownloadResult::writeFailed; a
    body that is not an installer gives DownloadResult::notAnInstaller.
*/
class TPXAutoUpdateDownloadThread : public UpdateDownloadThread
{
public:
    static constexpr juce::int64 defaultMaxBytes = 512 * 1024 * 1024;

    TPXAutoUpdateDownloadThread (const juce::URL& address, const juce::File& installerPath,
                                 std::atomic<double>* progress, juce::int64 maxBytes = defaultMaxBytes);
    ~TPXAutoUpdateDownloadThread() override;

    /** The path the installer was saved under once the result is complete; before, the path
        asked for.
    */
    juce::String getTargetPath() const;

    /** The first name for the file in its folder under which nothing stands (no file, folder or
        link of any kind): the file's own, or its name with " (2)", " (3)", ... before the
        extension.
    */
    static juce::File findFreeName (const juce::File& wanted);

protected:
    int beginBody (juce::int64 length) override;
    int takeChunk (const void* bytes, size_t size) override;
    int finishDownload() override;
    void discardDownload() override;

private:
    bool writePending();

    const juce::File targetFile;
    juce::File savedFile;   // set by the download thread before its run ends
    std::unique_ptr<DurableFile> out;
    juce::MemoryOutputStream pending;
    char head[2] = {};
    int headBytes = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXAutoUpdateDownloadThread)
};
