#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Mixin for skinned widgets that remember their layout bounds and can be drawn at a uniform scale.

    The first call of applyScale() records the component's bounds as its unscaled layout; the scale
    factor stays 1.0 in this program, so the transform that applyScale() sets is the identity.
*/
class TPXResizableComponent
{
public:
    TPXResizableComponent() = default;
    virtual ~TPXResizableComponent() = default;

    /** Records the layout bounds on the first call and, when apply is true, scales the widget. */
    virtual void applyScale (bool apply) = 0;

    double getScaleFactor() const noexcept { return scaleFactor; }
    juce::Rectangle<int> getUnscaledBounds() const noexcept { return unscaledBounds; }

protected:
    /** The body that every widget's applyScale() shares. */
    void applyScaleTo (juce::Component& component, bool apply);

    /** Records bounds as the layout bounds directly (for widgets that know them at construction). */
    void setUnscaledBounds (juce::Rectangle<int> bounds) noexcept { unscaledBounds = bounds; }

private:
    double scaleFactor = 1.0;
    juce::Rectangle<int> unscaledBounds;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXResizableComponent)
};
