#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Every test binary starts JUCE here, so the main thread is the message thread for the whole run,
// as it is in the program.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    const int result = RUN_ALL_TESTS();
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
