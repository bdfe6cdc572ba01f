#pragma once

#include "BackupDialogFrame.h"
#include "MessageLoop.h"
#include "OffscreenPeer.h"
#include "SkinManager.h"
#include "TPXSpinControl.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace morvane::test
{
/** Morvane's generated skin, loaded once for the suite. */
inline SkinManager& generatedSkin()
{
    static SkinManager* skin = []
    {
        auto* manager = new SkinManager (juce::File (MORVANE_GENERATED_SKIN_DIR));
        manager->load (false);
        return manager;
    }();
    return *skin;
}

/** The child (at any depth) with that component name, cast to T; null when there is none. */
template <typename T = juce::Component>
T* findWidget (juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
    {
        if (child->getName() == name)
            if (auto* found = dynamic_cast<T*> (child))
                return found;

        if (auto* found = findWidget<T> (*child, name))
            return found;
    }

    return nullptr;
}

/** Shows a dialog in a dialog window on the desktop, modal without a loop, and records what the
    dialog does: the warnings it shows, the modal result it ends with and its change messages.
*/
class DialogHarness : private juce::ChangeListener
{
public:
    DialogHarness (juce::Component& dialogToShow, juce::ChangeBroadcaster& broadcaster)
        : dialog (dialogToShow), source (broadcaster)
    {
        BackupDialogFrame::setWarningHandler ([this] (const juce::String& text) { warnings.add (text); });
        source.addChangeListener (this);
        open();
    }

    ~DialogHarness() override
    {
        source.removeChangeListener (this);
        close();
        BackupDialogFrame::setWarningHandler (nullptr);
    }

    void open()
    {
        close();
        resultCell = std::make_shared<int> (-1);
        // Offscreen: other tests' windows on the display cannot take its keyboard focus.
        window = std::make_unique<Offscreen<juce::DialogWindow>> ("Backup Type", juce::Colours::lightgrey, false, false);
        window->setUsingNativeTitleBar (false);
        window->setContentNonOwned (&dialog, true);
        window->addToDesktop();
        window->setVisible (true);
        window->enterModalState (false, juce::ModalCallbackFunction::create ([cell = resultCell] (int r) { *cell = r; }), false);
        runMessageLoopFor (20);
    }

    void close()
    {
        if (window != nullptr)
        {
            window->exitModalState (0);
            window->clearContentComponent();
            window.reset();
        }
    }

    /** Clicks a button as the user would and lets its messages arrive. */
    void click (const juce::String& name)
    {
        auto* button = findWidget<juce::Button> (dialog, name);
        ASSERT_NE (button, nullptr) << name.toStdString();
        button->triggerClick();
        runMessageLoopFor (30);
    }

    /** Types a text into a spin control, as after a click on its overlay. */
    void type (const juce::String& spinName, const juce::String& text)
    {
        auto* spin = findWidget<TPXSpinControl> (dialog, spinName);
        ASSERT_NE (spin, nullptr) << spinName.toStdString();
        spin->sendChangeMessage();    // a click on the disabled control chooses its mode
        runMessageLoopFor (30);
        spin->setText (text);
    }

    /** The name of the spin control whose editor the dialog last gave the keyboard focus to, or
        empty. (Whether the focus really follows depends on which window of the shared test
        display is active.)
    */
    juce::String focusedSpin() const
    {
        for (auto* c = BackupDialogFrame::getLastFocusTarget(); c != nullptr; c = c->getParentComponent())
            if (auto* spin = dynamic_cast<TPXSpinControl*> (c))
                return spin->getName();

        return {};
    }

    juce::Component& dialog;
    juce::ChangeBroadcaster& source;
    std::unique_ptr<juce::DialogWindow> window;
    juce::StringArray warnings;
    std::shared_ptr<int> resultCell = std::make_shared<int> (-1);
    int getResult() const { return *resultCell; }
    int changeMessages = 0;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++changeMessages; }
};
} // namespace morvane::test
