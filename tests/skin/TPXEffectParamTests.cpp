#include "SkinTestSupport.h"
#include "TPXEffectParam_Impl.h"
#include "TPXProgressBar.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
/** The smallest widget channel: the neutral parameter bodies and nothing else. */
struct PlainParam : TPXEffectParam_Impl
{
};
} // namespace

TEST (TPXEffectParam, WithoutListenersTheCodeIsStoredAndNothingIsPosted)
{
    PlainParam param;
    param.notify (tpxEventActivated);
    EXPECT_EQ (param.getEventCode(), tpxEventActivated);

    // A listener that arrives later hears nothing of the earlier event.
    ChangeCounter changes (param);
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 0);
}

TEST (TPXEffectParam, TwoQuickNotificationsGiveOneCallbackWithTheLaterCode)
{
    PlainParam param;
    ChangeCounter changes (param);
    int seen = -1;
    changes.onChange = [&] { seen = param.getEventCode(); };

    param.notify (tpxEventActivated);
    param.notify (tpxEventSecondaryClick);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count > 0; }, 20000));
    runMessageLoopFor (30);

    EXPECT_EQ (changes.count, 1);
    EXPECT_EQ (seen, tpxEventSecondaryClick);
}

//==============================================================================
TEST (TPXProgressBar, ShowsItsOwnValueFromTheStart)
{
    TPXProgressBar bar;
    bar.setSize (200, 20);
    bar.setColour (juce::ProgressBar::backgroundColourId, juce::Colours::white);
    bar.setColour (juce::ProgressBar::foregroundColourId, juce::Colours::black);
    bar.setPercentageDisplay (false);
    bar.setVisible (true);

    EXPECT_EQ (bar.getProgress(), 0.0);
    EXPECT_GT (darkestLevel (snapshot (bar), { 4, 4, 192, 12 }), 200); // empty bar

    bar.setProgress (0.5);
    EXPECT_EQ (bar.getProgress(), 0.5);

    // The bar takes the value on its own timer.
    EXPECT_TRUE (runMessageLoopUntil ([&] { return darkestLevel (snapshot (bar), { 20, 8, 20, 4 }) < 100; }, 20000));
    EXPECT_GT (darkestLevel (snapshot (bar), { 160, 8, 30, 4 }), 200);
}

TEST (TPXProgressBar, AnimatesOnlyWhileVisibleAndMoving)
{
    TPXProgressBar bar;
    bar.setSize (200, 20);
    EXPECT_FALSE (bar.isAnimating());

    bar.setProgress (0.3);
    EXPECT_FALSE (bar.isAnimating()) << "a hidden bar never animates";

    // Shown, it catches up with what changed while hidden, then rests.
    bar.setVisible (true);
    EXPECT_TRUE (bar.isAnimating());
    EXPECT_TRUE (runMessageLoopUntil ([&] { return ! bar.isAnimating(); }, 20000));

    struct Change
    {
        const char* what;
        std::function<void()> apply;
    };

    const std::vector<Change> changes {
        { "a new value", [&] { bar.setProgress (0.8); } },
        { "a new text", [&] { bar.setTextToDisplay ("Saving..."); } },
        { "back to the percentage", [&] { bar.setPercentageDisplay (true); } },
        { "a full bar", [&] { bar.setProgress (1.0); } },
    };

    for (const auto& change : changes)
    {
        change.apply();
        EXPECT_TRUE (bar.isAnimating()) << change.what;
        EXPECT_TRUE (runMessageLoopUntil ([&] { return ! bar.isAnimating(); }, 20000)) << change.what;
    }

    bar.setProgress (1.0);
    EXPECT_FALSE (bar.isAnimating()) << "the same value again is no change";

    // A value outside 0 to 1 is drawn moving: the timer runs until the bar is hidden.
    bar.setProgress (-1.0);
    runMessageLoopFor (TPXProgressBar::settleMs + 500);
    EXPECT_TRUE (bar.isAnimating());
    bar.setVisible (false);
    EXPECT_FALSE (bar.isAnimating());
}
