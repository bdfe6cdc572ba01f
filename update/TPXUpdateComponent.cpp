#include "TPXUpdateComponent.h"

#include "DialogKeyboard.h"
#include "SkinManager.h"
#include "OwnedWindows.h"
#include "SkinnedDialogWindow.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "UpdateDownloadThread.h"
#include "UpdateServer.h"

namespace
{
constexpr int watchTimer = 0;
constexpr int progressTimer = 1;

juce::Colour hexColour (const juce::XmlElement& widget, const char* attribute)
{
    return juce::Colour ((juce::uint32) widget.getStringAttribute (attribute).getHexValue32());
}
} // namespace

TPXUpdateComponent::TPXUpdateComponent (SkinManager* skin)
    : skinManager (skin),
      infoView ("Update Info")
{
}

TPXUpdateComponent::~TPXUpdateComponent()
{
    checkThread.reset();
    stopTimer (watchTimer);
    stopTimer (progressTimer);
}

void TPXUpdateComponent::buildFromSection (const juce::String& sectionName)
{
    if (skinManager == nullptr || ! skinManager->isSkinLoaded() || skinManager->getSkinRoot() == nullptr)
        return;

    auto* section = skinManager->getSection (sectionName);

    if (section == nullptr)
        return;

    setSize (section->getIntAttribute ("progressWidth"), section->getIntAttribute ("progressHeight"));
    infoView.setSize (section->getIntAttribute ("infoWidth"), section->getIntAttribute ("infoHeight"));

    for (auto* widget : section->getChildIterator())
        if (widget->getTagName().equalsIgnoreCase ("Widget"))
            buildWidget (*widget, widget->getStringAttribute ("name"));
}

void TPXUpdateComponent::makeStatic (juce::Label& label)
{
    label.setEditable (false, false, false);
    label.setWantsKeyboardFocus (false);
    label.setMinimumHorizontalScale (1.0f);
}

std::unique_ptr<juce::ToggleButton> TPXUpdateComponent::buildToggle (const juce::XmlElement& widget)
{
    auto toggle = std::make_unique<juce::ToggleButton> (widget.getStringAttribute ("text"));
    toggle->setColour (juce::ToggleButton::textColourId, juce::Colours::black);
    toggle->setColour (0x1000206, hexColour (widget, "focusedOutlineColor"));
    toggle->setColour (juce::ToggleButton::tickColourId, hexColour (widget, "buttonColor"));
    toggle->setBounds (SkinManager::parseRectangle (widget.getStringAttribute ("toggleRect")));
    toggle->addListener (this);
    infoView.addAndMakeVisible (*toggle);
    return toggle;
}

bool TPXUpdateComponent::buildCommonWidget (const juce::XmlElement& widget, const juce::String& name)
{
    auto label = [&] (juce::Component& parent)
    {
        auto made = skinManager->createLabel (&widget, name);
        makeStatic (*made);
        parent.addAndMakeVisible (*made);
        return made;
    };

    auto button = [&] (juce::Component& parent)
    {
        auto made = skinManager->createDrawableButton (&widget, name);
        made->addListener (this);
        parent.addAndMakeVisible (*made);
        return made;
    };

    if (name == "progressDownloadLabel")
    {
        progressDownloadLabel = label (*this);
        progressDownloadLabel->setText ("Downloading update...", juce::dontSendNotification);
    }
    else if (name == "progressBar")
    {
        progressBar = std::make_unique<TPXProgressBar>();
        progressBar->setColour (juce::ProgressBar::foregroundColourId, hexColour (widget, "foregroundColor"));
        progressBar->setColour (juce::ProgressBar::backgroundColourId, hexColour (widget, "backgroundColor"));
        progressBar->setBounds (SkinManager::parseRectangle (widget.getStringAttribute ("bounds")));
        addAndMakeVisible (*progressBar);
    }
    else if (name == "progressCancelButton")
    {
        progressCancelButton = button (*this);
    }
    else if (name == "infoLabel")
    {
        infoLabel = label (infoView);
    }
    else if (name == "infoButtonLabel")
    {
        infoButtonLabel = label (infoView);
    }
    else if (name == "infoNotes")
    {
        infoNotes = std::make_unique<juce::Component> ("Notes");
        infoNotes->setBounds (widget.getIntAttribute ("positionX"), widget.getIntAttribute ("positionY"),
                              widget.getIntAttribute ("width"), widget.getIntAttribute ("height"));
        infoView.addAndMakeVisible (*infoNotes);
    }
    else if (name == "infoOkayButton")
    {
        infoOkayButton = button (infoView);
        DialogKeyboard::setDefaultButton (*infoOkayButton);
        okayX = widget.getIntAttribute ("positionX");
        centredOkayX = widget.getIntAttribute ("centerPositionX");
    }
    else if (name == "infoCancelButton")
    {
        infoCancelButton = button (infoView);
    }
    else
    {
        return false;
    }

    return true;
}

void TPXUpdateComponent::setInfoPage (const juce::String& info, const juce::String& notes, const juce::String& buttonText,
                                      bool endOfLife)
{
    infoText = info;
    notesText = notes;
    buttonLabelText = buttonText;
    cancelShown = ! endOfLife;

    if (notesEditor != nullptr)
        notesEditor->setText (notes, false);

    if (infoLabel != nullptr)
        infoLabel->setText (info, juce::dontSendNotification);

    if (infoButtonLabel != nullptr)
        infoButtonLabel->setText (buttonText, juce::dontSendNotification);

    if (infoOkayButton != nullptr)
        infoOkayButton->setTopLeftPosition (endOfLife ? centredOkayX : okayX, infoOkayButton->getY());

    if (infoCancelButton != nullptr)
        infoCancelButton->setVisible (! endOfLife);

    fitInfoLabel();
}

void TPXUpdateComponent::fitInfoLabel()
{
    if (infoLabel == nullptr)
        return;

    // The skin's layout, taken once: what lies below the info text moves with its height.
    if (skinInfoLabelHeight < 0)
    {
        skinInfoLabelHeight = infoLabel->getHeight();
        skinInfoViewHeight = infoView.getHeight();

        for (auto* child : infoView.getChildren())
            if (child != infoLabel.get() && child->getY() >= infoLabel->getBottom())
                placesBelowInfo.push_back ({ child, child->getY() });
    }

    const auto font = infoLabel->getFont();
    const auto border = infoLabel->getBorderSize();
    const auto width = (float) (infoLabel->getWidth() - border.getLeftAndRight());

    juce::GlyphArrangement glyphs;
    glyphs.addJustifiedText (font, infoLabel->getText(), 0.0f, 0.0f, juce::jmax (1.0f, width), juce::Justification::left);
    const auto lines = juce::jmax (1, juce::roundToInt (glyphs.getBoundingBox (0, -1, true).getHeight() / font.getHeight()));
    const auto needed = juce::roundToInt ((float) lines * font.getHeight()) + border.getTopAndBottom() + 4;
    const auto height = juce::jlimit (juce::jmin (skinInfoLabelHeight, 22), skinInfoLabelHeight, needed);
    const auto givenBack = skinInfoLabelHeight - height;

    infoLabel->setSize (infoLabel->getWidth(), height);

    for (auto& place : placesBelowInfo)
        if (auto* c = place.component.getComponent())
            c->setTopLeftPosition (c->getX(), place.y - givenBack);

    infoView.setSize (infoView.getWidth(), skinInfoViewHeight - givenBack);
}

void TPXUpdateComponent::resetProgressPage()
{
    if (progressCancelButton != nullptr)
    {
        progressCancelButton->setAlpha (1.0f);
        progressCancelButton->setEnabled (true);
    }
}

bool TPXUpdateComponent::runNotesWindow (const juce::String& title)
{
    showNotes();

    // Drawn from the skin like the message boxes; without a parent the window centres on the screen.
    const auto result = SkinnedDialogWindow::runModal (title, infoView, getParentComponent());
    notesEditor.reset();

    // However the window closed (OK, Cancel, Escape or the title bar's close box), what the user
    // set on its page counts.
    notesWindowClosing();
    return result == 1;
}

void TPXUpdateComponent::showNotes()
{
    if (infoNotes == nullptr)
        return;

    notesEditor = std::make_unique<juce::TextEditor> (juce::String());
    notesEditor->setBounds (infoNotes->getLocalBounds());
    notesEditor->setColour (juce::TextEditor::outlineColourId, juce::Colour (0xff000000));
    notesEditor->setScrollbarsShown (true);
    notesEditor->setBorder ({ 0, 0, 0, 0 });
    notesEditor->setReadOnly (true);
    notesEditor->setWantsKeyboardFocus (false);   // notes to read: Tab passes over them
    notesEditor->setMultiLine (true, true);
    notesEditor->setText (notesText, false);
    infoNotes->addAndMakeVisible (*notesEditor);
}

void TPXUpdateComponent::startCheck (UpdateCheckThread::Job reads, std::function<void()> finished)
{
    checkThread.reset();
    checkThread = std::make_unique<UpdateCheckThread> (std::move (reads), std::move (finished),
                                                       UpdateServer::getCheckDeadlineMs());
}

void TPXUpdateComponent::closeWindowOf (juce::Component& component, int result)
{
    if (auto* window = component.findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState (result);
}

void TPXUpdateComponent::watchDownload (UpdateDownloadThread* thread)
{
    watchedDownload = thread;

    if (thread == nullptr)
    {
        stopTimer (watchTimer);
        stopTimer (progressTimer);
        return;
    }

    progress = 0.0;
    showProgress (0.0);

    {
        const juce::ScopedLock sl (resultLock);
        downloadResult = 0;
    }

    startTimer (watchTimer, 1000);
    startTimer (progressTimer, 100);
}

void TPXUpdateComponent::showProgress (double value)
{
    // The skin's bar animates only while its value moves, not for as long as this page exists.
    if (progressBar != nullptr)
        progressBar->setProgress (value);
}

void TPXUpdateComponent::cancelDownload()
{
    if (watchedDownload != nullptr)
        watchedDownload->cancel();
}

bool TPXUpdateComponent::isDownloadRunning() const
{
    return watchedDownload != nullptr && watchedDownload->isThreadRunning();
}

int TPXUpdateComponent::getDownloadResult() const
{
    const juce::ScopedLock sl (resultLock);
    return downloadResult;
}

void TPXUpdateComponent::buttonClicked (juce::Button* button)
{
    if (button == progressCancelButton.get())
    {
        cancelDownload();
    }
    else if (button == infoOkayButton.get() || button == infoCancelButton.get())
    {
        closeWindowOf (*button, button == infoOkayButton.get() ? 1 : 0);
    }
}

void TPXUpdateComponent::timerCallback (int timerId)
{
    if (watchedDownload == nullptr)
        return;

    if (timerId == progressTimer)
    {
        showProgress (progress.load());
        return;
    }

    if (! isShowing() && ! infoView.isShowing())
        watchedDownload->cancel();

    if (! watchedDownload->isThreadRunning())
    {
        stopTimer (watchTimer);
        stopTimer (progressTimer);
        showProgress (progress.load());
        closeWindowOf (*this, 0);

        {
            const juce::ScopedLock sl (resultLock);
            downloadResult = watchedDownload->getResult();
        }

        sendSynchronousChangeMessage();
    }
    else if (progress.load() >= 1.0)
    {
        if (progressDownloadLabel != nullptr)
            progressDownloadLabel->setText ("Processing...", juce::dontSendNotification);

        if (progressCancelButton != nullptr)
        {
            progressCancelButton->setAlpha (0.3f);
            progressCancelButton->setEnabled (false);
        }
    }
}

bool TPXUpdateComponent::hasNotesPage() const noexcept
{
    return infoOkayButton != nullptr;
}

void TPXUpdateComponent::parentHierarchyChanged()
{
    // Before the window first shows: window managers read the marks as a window is mapped.
    OwnedWindows::markAsDialog (*this);
}
