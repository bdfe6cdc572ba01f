#include "UpdateCheckThread.h"

UpdateCheckThread::UpdateCheckThread (Job jobToRun, std::function<void()> whenFinished, int deadlineMs)
    : juce::Thread ("Update Check"),
      session (deadlineMs),
      job (std::move (jobToRun)),
      finished (std::move (whenFinished))
{
    startThread();
}

UpdateCheckThread::~UpdateCheckThread()
{
    session.cancel();
    stopThread (-1);
    cancelPendingUpdate();
}

void UpdateCheckThread::run()
{
    job (session);

    // No thread is left waiting for a deadline that no longer matters.
    session.endDeadline();
    triggerAsyncUpdate();
}

void UpdateCheckThread::handleAsyncUpdate()
{
    // The job's results are complete once the thread has gone.
    stopThread (-1);
    reported = true;

    if (finished != nullptr)
        finished();
}
