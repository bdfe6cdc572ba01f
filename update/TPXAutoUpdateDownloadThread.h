#pragma once

#include "UpdateDownloadThread.h"

/** Downloads the program installer and writes it to the installer path.

    The bytes are written as received into a temporary file beside the target, which replaces
    the target only when it is complete; a download cancelled after its last chunk writes
    nothing. A file that cannot be written gives DownloadResult::writeFailed.
*/
class TPXAutoUpdateDownloadThread : public UpdateDownloadThread
{
public:
    static constexpr juce::int64 defaultMaxBytes = 512 * 1024 * 1024;

    TPXAutoUpdateDownloadThread (const juce::URL& address, const juce::File& installerPath,
                                 std::atomic<double>* progress, juce::int64 maxBytes = defaultMaxBytes);
    ~TPXAutoUpdateDownloadThread() override;

    /** The installer path's full path name. */
    juce::String getTargetPath() const { return targetFile.getFullPathName(); }

protected:
    int finishDownload() override;

private:
    bool writeInstaller();

    const juce::File targetFile;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXAutoUpdateDownloadThread)
};
