#pragma once

#include "TransferView.h"

#include <deque>
#include <vector>

/** A TransferView for tests of the roads without a window: records what the page would show. */
class RecordingView : public TransferView
{
public:
    struct Box
    {
        Severity severity;
        juce::String text;
    };

    void lockPage (bool locked) override { ++(locked ? started : ended); }
    void showProgress (double value) override { progress = value; }
    void showProgressText (const juce::String& text) override { progressText = text; }
    void showPercentage() override { progressText.clear(); }

    void showStatus (const juce::String& text) override
    {
        if (text.isNotEmpty())
            statuses.add (text);
    }

    void setCancelEnabled (bool enabled) override { cancelEnabled = enabled; }

    void tell (Severity severity, const juce::String& text) override
    {
        boxes.push_back ({ severity, text });
        (severity == Severity::warning ? warnings : infos).add (text);
    }

    /** Records the question and answers it from answers (false, Cancel, once they run out). */
    bool ask (Severity severity, const juce::String& text) override
    {
        boxes.push_back ({ severity, text });
        questions.add (text);

        if (answers.empty())
            return false;

        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void setBusy (bool busy) override { busyCount += busy ? 1 : 0; }
    void scheduleNotice (int delayMs) override { noticeDelays.add (delayMs); }

    int started = 0, ended = 0, busyCount = 0;   ///< page locks, unlocks and waits on the device
    bool cancelEnabled = false;
    double progress = 0.0;
    juce::String progressText;
    juce::StringArray statuses, warnings, infos;   ///< non-empty statuses; what was told, by weight
    juce::StringArray questions;
    std::deque<bool> answers;
    std::vector<Box> boxes;                         ///< everything told or asked, in order
    juce::Array<int> noticeDelays;
};
