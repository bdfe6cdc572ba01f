#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace morvane::test
{
/** A window that exists for JUCE only: it draws nowhere, receives no events of the display and
    keeps its keyboard focus to itself. Where JUCE needs a native window (to set the mouse cursor),
    it is given a hidden real one.

    Test processes run side by side on one display, and any of them may take the display's focus
    at any moment; a control in an offscreen window takes the focus whenever it asks for it.
*/
class OffscreenPeer : public juce::ComponentPeer
{
public:
    OffscreenPeer (juce::Component& owner, int flags, void* hiddenNativeWindow);

    void* getNativeHandle() const override                            { return nativeWindow; }
    void setVisible (bool) override                                   {}
    void setTitle (const juce::String&) override                      {}
    void setBounds (const juce::Rectangle<int>& newBounds, bool) override { bounds = newBounds; }
    juce::Rectangle<int> getBounds() const override                   { return bounds; }
    juce::Point<float> localToGlobal (juce::Point<float> p) override  { return p + bounds.getPosition().toFloat(); }
    juce::Point<float> globalToLocal (juce::Point<float> p) override  { return p - bounds.getPosition().toFloat(); }
    void setMinimised (bool) override                                 {}
    bool isMinimised() const override                                 { return false; }
    void setFullScreen (bool) override                                {}
    bool isFullScreen() const override                                { return false; }
    void setIcon (const juce::Image&) override                        {}
    bool contains (juce::Point<int> p, bool) const override           { return bounds.withZeroOrigin().contains (p); }
    OptionalBorderSize getFrameSizeIfPresent() const override         { return {}; }
    juce::BorderSize<int> getFrameSize() const override               { return {}; }
    bool setAlwaysOnTop (bool) override                               { return true; }
    void toFront (bool takeKeyboardFocus) override                    { if (takeKeyboardFocus) grabFocus(); }
    void toBehind (juce::ComponentPeer*) override                     {}
    bool isFocused() const override                                   { return focused; }
    void grabFocus() override                                         { focused = true; }
    void textInputRequired (juce::Point<int>, juce::TextInputTarget&) override {}
    void repaint (const juce::Rectangle<int>&) override               {}
    void performAnyPendingRepaintsNow() override                      {}
    void setAlpha (float) override                                    {}
    juce::StringArray getAvailableRenderingEngines() override         { return { "Software Renderer" }; }

private:
    juce::Rectangle<int> bounds;
    void* nativeWindow = nullptr;
    bool focused = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OffscreenPeer)
};

/** A component of type Base (a window, say) whose desktop window is an OffscreenPeer. */
template <typename Base>
class Offscreen : public Base
{
public:
    using Base::Base;

    ~Offscreen() override
    {
        this->removeFromDesktop();
        hiddenWindow.removeFromDesktop();
    }

    juce::ComponentPeer* createNewPeer (int styleFlags, void*) override
    {
        if (! hiddenWindow.isOnDesktop())
        {
            // Never made visible, so never shown and never sent pointer events.
            hiddenWindow.setBounds (0, 0, 10, 10);
            hiddenWindow.addToDesktop (0);
        }

        return new OffscreenPeer (*this, styleFlags, hiddenWindow.getWindowHandle());
    }

private:
    juce::Component hiddenWindow;
};
} // namespace morvane::test
