#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
/** The program's entry object: for now it only shows an empty main window. */
class MorvaneApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Morvane"; }
    const juce::String getApplicationVersion() override { return "1.0.0"; }
    bool moreThanOneInstanceAllowed() override { return false; }

    void initialise (const juce::String&) override
    {
        window = std::make_unique<Window>();
    }

    void shutdown() override { window.reset(); }

private:
    class Window : public juce::DocumentWindow
    {
    public:
        Window()
            : juce::DocumentWindow ("Morvane", juce::Colours::darkgrey, juce::DocumentWindow::closeButton)
        {
            setUsingNativeTitleBar (false);
            setSize (800, 553);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
    };

    std::unique_ptr<Window> window;
};
} // namespace

START_JUCE_APPLICATION (MorvaneApplication)
