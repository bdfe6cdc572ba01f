#pragma once

/** How a download thread's run ended. The owner reads it once the thread has stopped running. */
struct DownloadResult
{
    static constexpr int notFinished = 0;  ///< the run has not ended yet
    static constexpr int complete = 1;     ///< installer written, or firmware bytes held in memory
    static constexpr int cancelled = 2;    ///< the user cancelled ("Update canceled.")
    static constexpr int failed = 3;       ///< no stream, a broken redirect, an error status, conflicting lengths, a short, cut, empty or oversize body ("Download error.")
    static constexpr int writeFailed = 4;  ///< installer only: the bytes arrived but the file could not be written
    static constexpr int notAnInstaller = 5; ///< installer only: what arrived is not a Windows program (an error page, say); nothing is kept
};
