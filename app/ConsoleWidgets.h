#pragma once

#include "ReadOnlyTextField.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The console's widgets and the images they are drawn with, as ConsoleLayout builds them from
    the skin; the console owns them and gives each its work. Members in layout order.
*/
struct ConsoleWidgets
{
    juce::Image sendBackground, receiveBackground;
    std::unique_ptr<juce::Drawable> dropdownImage;

    std::unique_ptr<TPXDrawableButton> showFolder;
    std::unique_ptr<juce::ImageButton> glimEyes, sendTabFocus, sendTabButton, receiveTabFocus, receiveTabButton;
    std::unique_ptr<juce::DrawableButton> deviceSelector;
    std::unique_ptr<juce::Label> deviceLabel, connectedLabel;
    std::unique_ptr<juce::ImageButton> checkMark, inputCheck, outputCheck, error1;
    std::unique_ptr<juce::DrawableButton> inputSelector;
    std::unique_ptr<juce::Label> inputPortLabel;
    std::unique_ptr<juce::DrawableButton> outputSelector;
    std::unique_ptr<juce::Label> outputPortLabel;
    std::unique_ptr<juce::Slider> bufferDelaySlider;
    std::unique_ptr<juce::Label> bufferDelayLabel;
    std::unique_ptr<juce::ImageButton> browseButton;
    std::unique_ptr<ReadOnlyTextField> fileField;
    std::unique_ptr<juce::ImageButton> error2;
    std::unique_ptr<juce::Label> firmwareTextLabel, firmwareLinkLabel, receiveBrowseLabel;
    std::unique_ptr<juce::ImageButton> transmitButton;
    std::unique_ptr<TPXProgressBar> progressBar;
    std::unique_ptr<juce::ImageButton> cancelButton, check3, error3;
    std::unique_ptr<juce::Label> progressLabel, receiveBeginLabel;
    std::unique_ptr<juce::ImageButton> helpText, documentButton, videoButton, moreHelp, supportButton, forumButton;
    std::unique_ptr<TPXLabelComponent> copyrightLabel, versionLabel;
};
