#include "MorvaneApplication.h"

START_JUCE_APPLICATION (MorvaneApplication)
