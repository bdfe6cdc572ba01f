#include "TPXResizableComponent.h"

void TPXResizableComponent::applyScaleTo (juce::Component& component, bool apply)
{
    if (unscaledBounds.getWidth() < 1 || unscaledBounds.getHeight() < 1)
        unscaledBounds = component.getBounds();

    if (apply)
        component.setTransform (juce::AffineTransform::scale ((float) scaleFactor));
}
