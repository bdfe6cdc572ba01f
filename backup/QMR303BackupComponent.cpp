#include "QMR303BackupComponent.h"

#include "DialogKeyboard.h"
#include "OwnedWindows.h"
#include "SkinManager.h"
#include "TPXMultiLineLabelComponent.h"
#include "Transfers.h"

namespace
{
    const juce::Colour windowGrey (0xffd3d3d3);
    const juce::Colour barGreen (0xff32cd32);

    juce::Image skinImage (const juce::String& name)
    {
        return SkinManager::getImage (name);
    }
} // namespace

QMR303BackupComponent::QMR303BackupComponent (Transfers& transfersToUse, MidiProcessing* link,
                                              std::function<juce::String()> receiveFolderToUse)
    : transfers (transfersToUse), receiveFolder (std::move (receiveFolderToUse)), dump (link)
{
    setName ("QMR-303 Backup Component");
}

QMR303BackupComponent::~QMR303BackupComponent() = default;

juce::String QMR303BackupComponent::getInstructionText()
{
    return juce::String ("To create a total backup of your QMR-303:\n\n")
           + "1. Press EDIT on the QMR-303.\n\n"
           + "2. Press SETUP (#5) on the QMR-303.\n\n"
           + "3. Press PAGE LEFT (#6) 4x to go to \"Sysex Data DUMP!\"\n\n"
           + "4. Click READY (below) to start Morvane recording.\n\n"
           + "5. Press ENTER (#14) on the QMR-303 to begin the\n"
           + "\tdump.  The QMR-303 will display different data\n"
           + "\tsections by name as they are transmitted:\n"
           + "\t(Presets I, Presets II, etc...).\n\n"
           + "6. When the dump is complete, the QMR-303 will again\n"
           + "\tdisplay \"Sysex Data DUMP!\"\n"
           + "\tPress OK to save the file and close this window.";
}

juce::String QMR303BackupComponent::makeExportErrorText (const juce::String& error)
{
    return "SysEx Message Export - " + error;
}

std::unique_ptr<juce::ImageButton> QMR303BackupComponent::makeButton (const juce::String& name, const juce::String& image,
                                                                      const juce::String& over, const juce::String& down, int x)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    button->setImages (false, false, true,
                       skinImage (image), 1.0f, juce::Colours::transparentBlack,
                       skinImage (over), 1.0f, juce::Colours::transparentBlack,
                       skinImage (down), 1.0f, juce::Colours::transparentBlack);
    button->setBounds (x, 0, 78, 30);
    button->addListener (this);
    addAndMakeVisible (*button);
    return button;
}

void QMR303BackupComponent::rebuild()
{
    // The instructions take the height that their text needs in the font at hand; the buttons
    // and the bar follow below them, and the window grows with them.
    instructionsLabel = std::make_unique<TPXMultiLineLabelComponent> (nullptr, 17, instructionsTop, 350, 300,
                                                                      "QMR-303 Backup Instructions Label",
                                                                      getInstructionText(), windowGrey,
                                                                      juce::Colour (0xff000000), juce::String(), 0.0f);
    const int textHeight = instructionsLabel->getTextHeight() + instructionsLabel->getBorder().getTopAndBottom() + 4;
    const int buttonsY = juce::jmax (instructionsTop + textHeight + 10, lowestButtonsY);
    instructionsLabel->setSize (instructionsLabel->getWidth(), buttonsY - 10 - instructionsTop);
    addAndMakeVisible (*instructionsLabel);

    readyButton = makeButton ("QMR-303 Backup Ready", "btn-ready.png", "btn-ready-over.png", "btn-ready-down.png", 61);
    okButton = makeButton ("QMR-303 Backup Ok", "btn-ok.png", "btn-ok-over.png", "btn-ok-down.png", 148);
    cancelButton = makeButton ("QMR-303 Backup Cancel", "btn-cancel.png", "btn-cancel-over.png", "btn-cancel-down.png", 234);

    for (auto* button : { readyButton.get(), okButton.get(), cancelButton.get() })
        button->setTopLeftPosition (button->getX(), buttonsY);

    // READY is the window's first step: Return presses it, and the keyboard starts on it.
    DialogKeyboard::setDefaultButton (*readyButton);
    readyButton->setEnabled (! recording);

    dumpProgressBar = std::make_unique<juce::ProgressBar> (dumpProgress);
    dumpProgressBar->setBounds (37, buttonsY + 50, 301, 25);
    dumpProgressBar->setColour (juce::ProgressBar::backgroundColourId, windowGrey.brighter (1.0f));
    dumpProgressBar->setColour (juce::ProgressBar::foregroundColourId, barGreen.darker (0.2f));
    dumpProgressBar->setPercentageDisplay (false);
    dumpProgressBar->setTextToDisplay (progressText);
    addAndMakeVisible (*dumpProgressBar);

    setSize (windowWidth, juce::jmax (windowHeight, dumpProgressBar->getBottom() + 45));
}

//==============================================================================
void QMR303BackupComponent::startDumpRecording()
{
    if (readyButton != nullptr)
        readyButton->setEnabled (false);

    dumpProgress = 1.0;

    // What an earlier try kept or recorded goes: this dump starts from nothing.
    dump.startRecording();
    recording = transfers.startDumpCounter (*this);

    if (! recording && readyButton != nullptr)
        readyButton->setEnabled (true);
}

void QMR303BackupComponent::endRecording()
{
    dumpProgress = 0.0;

    if (recording)
    {
        recording = false;
        transfers.stopDumpCounter();
    }

    if (readyButton != nullptr)
        readyButton->setEnabled (true);
}

void QMR303BackupComponent::exportSysEx()
{
    dump.takeRecording();
    endRecording();

    const auto result = dump.exportReceivedSysEx (receiveFolder(), juce::Time::getCurrentTime());

    switch (result.result)
    {
        case FootControllerDump::ExportResult::written:
            progressText.clear();
            closeWindow (3);
            transfers.getView().showStatus ("Backup complete.");
            transfers.getView().tell (Severity::info, "Backup complete.");
            break;

        case FootControllerDump::ExportResult::nothingReceived:
            progressText.clear();
            transfers.getView().tell (Severity::warning,
                                      "No data was received.  Please verify that the hardware is connected and powered on.");
            break;

        case FootControllerDump::ExportResult::writeFailed:
            // The count of the kept dump stays on the bar: OK may write it again.
            transfers.getView().tell (Severity::warning, makeExportErrorText (result.error));
            break;
    }

    if (dumpProgressBar != nullptr)
        dumpProgressBar->setTextToDisplay (progressText);
}

void QMR303BackupComponent::cancelDump()
{
    dump.discard();
    endRecording();
    progressText.clear();

    if (dumpProgressBar != nullptr)
        dumpProgressBar->setTextToDisplay (progressText);

    closeWindow (0);
}

void QMR303BackupComponent::closeWindow (int result)
{
    if (auto* window = findParentComponentOfClass<juce::DialogWindow>())
        if (window->isCurrentlyModal (false))
            window->exitModalState (result);
}

//==============================================================================
void QMR303BackupComponent::buttonClicked (juce::Button* button)
{
    if (button == readyButton.get())
        startDumpRecording();
    else if (button == okButton.get())
        exportSysEx();
    else if (button == cancelButton.get())
        cancelDump();
}

void QMR303BackupComponent::dumpByteCountChanged (juce::uint32, const juce::String& text)
{
    if (! recording)
        return;

    progressText = text;

    if (dumpProgressBar != nullptr)
        dumpProgressBar->setTextToDisplay (progressText);
}

void QMR303BackupComponent::parentHierarchyChanged()
{
    OwnedWindows::markAsDialog (*this);
}
