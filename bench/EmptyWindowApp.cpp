// The baseline of the program benchmark: a JUCE application built like Morvane, whose one
// DocumentWindow, of the console's size, holds an empty component. Whatever it costs at idle, at
// start-up and in memory is the framework's share.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class EmptyWindow : public juce::DocumentWindow
    {
    public:
        EmptyWindow()
            : juce::DocumentWindow ("Empty Window", juce::Colour (0xffd3d3d3), juce::DocumentWindow::allButtons, true)
        {
            auto* content = new juce::Component();
            content->setSize (800, 553);
            setContentOwned (content, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        void closeButtonPressed() override
        {
            juce::JUCEApplication::getInstance()->systemRequestedQuit();
        }
    };

    class EmptyWindowApp : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "EmptyWindow"; }
        const juce::String getApplicationVersion() override { return "1.0.0"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override { window = std::make_unique<EmptyWindow>(); }
        void shutdown() override { window.reset(); }

    private:
        std::unique_ptr<EmptyWindow> window;
    };
} // namespace

START_JUCE_APPLICATION (EmptyWindowApp)
