#include "MorvaneApplication.h"
#include "TerminationSignal.h"

JUCE_CREATE_APPLICATION_DEFINE (MorvaneApplication)

// The framework's main, but the termination signals are blocked before any thread exists, so
// that every thread inherits the block and only the application's listener takes them.
extern "C" JUCE_MAIN_FUNCTION
{
    TerminationSignal::blockInEveryThread();
    juce::JUCEApplicationBase::createInstance = &juce_CreateApplication;
    return juce::JUCEApplicationBase::main (JUCE_MAIN_FUNCTION_ARGS);
}
