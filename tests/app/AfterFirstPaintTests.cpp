#include "AfterFirstPaint.h"
#include "MessageLoop.h"

#include <gtest/gtest.h>

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;

namespace
{
/** A window that counts its paints and tells its follower of each, as the main window does. */
class CountingWindow : public juce::DocumentWindow
{
public:
    CountingWindow()
        : juce::DocumentWindow ("After First Paint", juce::Colours::darkgrey, juce::DocumentWindow::closeButton, true)
    {
        setSize (240, 120);
    }

    void paint (juce::Graphics& g) override
    {
        juce::DocumentWindow::paint (g);
        ++paints;

        if (follower != nullptr)
            follower->painted();

        if (dropFollowerAfterPaint)
        {
            follower = nullptr;
            ownedFollower.reset();
        }
    }

    int paints = 0;
    AfterFirstPaint* follower = nullptr;
    std::unique_ptr<AfterFirstPaint> ownedFollower;
    bool dropFollowerAfterPaint = false;
};
} // namespace

TEST (AfterFirstPaint, TheStepRunsOnceAfterTheFirstPaint)
{
    CountingWindow window;
    int runs = 0;
    int paintsWhenRun = -1;
    AfterFirstPaint follower (window, [&] { ++runs; paintsWhenRun = window.paints; });
    window.follower = &follower;

    // A window that is not shown never paints, and nothing runs.
    runMessageLoopFor (200);
    EXPECT_EQ (runs, 0);
    EXPECT_TRUE (follower.isPending());

    window.setVisible (true);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return runs > 0; }));
    EXPECT_GE (paintsWhenRun, 1);
    EXPECT_FALSE (follower.isPending());

    // Later paints run nothing more.
    const auto paintsBefore = window.paints;
    window.repaint();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return window.paints > paintsBefore; }));
    runMessageLoopFor (100);
    EXPECT_EQ (runs, 1);
    window.follower = nullptr;
}

TEST (AfterFirstPaint, DeletedBeforeItsTimeTheStepNeverRuns)
{
    CountingWindow window;
    int runs = 0;
    window.ownedFollower = std::make_unique<AfterFirstPaint> (window, [&] { ++runs; });
    window.follower = window.ownedFollower.get();

    // Deleted in the very paint that started its wait.
    window.dropFollowerAfterPaint = true;
    window.setVisible (true);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return window.paints > 0; }));

    window.repaint();
    runMessageLoopFor (200);
    EXPECT_EQ (runs, 0);
    EXPECT_EQ (window.ownedFollower, nullptr);
}
