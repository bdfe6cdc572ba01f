#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class AfterFirstPaint;
class MidiProcessing;
class MorvaneDialog;
class SkinManager;
class SystemServices;
class UserDialogs;
class WindowPlaceKeeper;

/** The one top-level window; its content is the transfer console, MorvaneDialog.

    Its close button is where the user quits: it asks first while a transfer, a backup or a
    foot-controller dump runs, stores the window's state and the settings (warning when they
    cannot be saved) and asks the application to quit. The window keeps its fixed size: a size
    that the window manager imposes is put back. Message thread only.
*/
class MainAppWindow : public juce::DocumentWindow,
                      private juce::AsyncUpdater
{
public:
    /** The title-bar height of the skinned (non-native) title bar. */
    static constexpr int titleBarHeight = 27;

    MainAppWindow (SkinManager* skin, MidiProcessing* link, UserDialogs& dialogs, SystemServices& services,
                   const juce::File& userFolder = {});
    ~MainAppWindow() override;

    void closeButtonPressed() override;

    /** The window's one size: the console plus the title bar. */
    juce::Rectangle<int> getFixedSize() const noexcept { return { fixedWidth, fixedHeight }; }

    /** Shows the window again when it was minimised or hidden, and brings it to the front. */
    void bringToFront();

    /** Stores the window's state and the settings, as a close does, but asks and warns nothing:
        for a quit that the system requested.
    */
    void storeStateForQuit();

    /** Puts back the fixed size whenever something else changed it. */
    void resized() override;

    /** No frame around the console: the window is exactly the console plus the title bar. */
    juce::BorderSize<int> getBorderThickness() override { return {}; }

    MorvaneDialog* getConsole() const noexcept { return console; }

    /** Runs the step once the window's first picture is on the screen (see AfterFirstPaint); a
        step given earlier and not yet run is dropped. Nothing runs once the window is deleted.
    */
    void callAfterFirstPaint (std::function<void()> step);

    void paint (juce::Graphics& g) override;

    /** The window itself took the keyboard (at start, or back from a dialog): the console takes
        it over and hands it to one of its controls, so that no click is needed first.
    */
    void focusGained (FocusChangeType cause) override;

private:
    void handleAsyncUpdate() override;

    std::unique_ptr<AfterFirstPaint> afterFirstPaint;
    std::unique_ptr<WindowPlaceKeeper> placeKeeper;

    MorvaneDialog* console = nullptr;   // owned as the window's content
    int fixedWidth = 0;
    int fixedHeight = 0;
    juce::uint32 correctionsStart = 0;
    int corrections = 0;
    SystemServices& services;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainAppWindow)
};
