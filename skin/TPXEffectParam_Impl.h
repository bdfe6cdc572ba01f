#pragma once

#include "TPXEffectParam.h"

/** A TPXEffectParam whose parameter operations all have neutral bodies: the state reads 0 and
    setting it does nothing. Widgets override only what they use.
*/
class TPXEffectParam_Impl : public TPXEffectParam
{
public:
    TPXEffectParam_Impl() = default;
    ~TPXEffectParam_Impl() override = default;

    int getParamState() override { return 0; }
    int getParamAux() override { return 0; }
    float getParamValueFloat() override { return 0.0f; }
    void setParamState (int, int, int) override {}
    void refreshParamDisplay() override {}

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXEffectParam_Impl)
};
