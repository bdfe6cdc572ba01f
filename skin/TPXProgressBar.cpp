#include "TPXProgressBar.h"

TPXProgressBar::TPXProgressBar()
    : juce::ProgressBar (progressValue)
{
}

void TPXProgressBar::applyScale (bool apply)
{
    applyScaleTo (*this, apply);
}
