#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#if defined (__SANITIZE_ADDRESS__)
 #include <sanitizer/lsan_interface.h>
#endif

namespace
{
/** JUCE closes the display libraries when it shuts down, after the tests; memory that those
    libraries keep for the life of the process then looks lost to LeakSanitizer, which checks at
    exit. So the leak check runs once all tests are done, before the shutdown, and not again.
*/
class LeakCheckBeforeShutdown : public ::testing::Environment
{
public:
    void TearDown() override
    {
       #if defined (__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
       #endif
    }
};
} // namespace

// Every test binary starts JUCE here, so the main thread is the message thread for the whole run,
// as it is in the program.
int main (int argc, char** argv)
{
    // JUCE sets up X for threads and installs its X error handlers only in a standalone
    // application, which it recognises by this factory being set. Without them an X error is
    // fatal: a window that the window manager destroys while JUCE still asks about it (the frame
    // around a window being closed, say) would end the whole test binary, where the program
    // carries on. So the tests run JUCE the way the program does; the factory is never called.
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };

    testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new LeakCheckBeforeShutdown);
    juce::ScopedJuceInitialiser_GUI juce;
    const int result = RUN_ALL_TESTS();
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
