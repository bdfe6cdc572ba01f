#pragma once

#include "PayloadKind.h"
#include "SendPlan.h"
#include "SysExDecoders.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SkinManager;
class TPXLabelComponent;
class TPXMultiLineLabelComponent;
class TPXSpinControl;
class UserDialogs;

/** The send options: what the file is, what it will overwrite, and where it goes (a bank from
    the destination menu, or a cab location), with "Send" and "Cancel 2".

    The content is built for the file's PayloadKind from the skin's images and the texts of
    contentFor, which needs no window. The console runs it in a modal dialog window; the modal
    result is 1 when the user confirmed a valid choice with "Send", 0 otherwise. The choice is
    then read with getChoices. It has the colours of the program's other dialogs (DialogLook),
    and its texts are read whole: the dialog grows by what long texts need.
*/
class SendOptionsDialog : public juce::Component,
                          private juce::Button::Listener,
                          private juce::ChangeListener
{
public:
    /** What the dialog is built from. */
    struct Setup
    {
        PayloadKind kind = 0;
        int deviceModel = 0;
        FirmwareVersionRecord version;
        int userCabCount = 0;
        juce::uint32 presetCount = 0, cabCount = 0;
        juce::String fileText;           ///< the "File" field's text
        juce::String outputPortText;     ///< the MIDI output selector's text
        int displayOffset = 0;
        std::function<int()> queryDisplayOffset;   ///< asks the device; the offset, or -1
    };

    /** Where the file goes, as the dialog asks for it. */
    enum class Destination
    {
        none,
        bank,
        cab
    };

    /** The dialog's title, size and texts. */
    struct Content
    {
        juce::String title { "Transmit" };
        int height = 257;
        juce::String text, warning, instructions;
        Destination destination = Destination::none;
        bool sendStartsEnabled = true;
        bool readyButton = false;        ///< the QMR-303 backup's dialog: instructions, no file line
        bool scratchpadNumber = true;    ///< the scratchpad's number field (cabs below model 16)
    };

    static constexpr int dialogWidth = 375;

    static Content contentFor (const Setup& setup);

    /** The destination menu's items for the model and kind (empty when it has none). */
    static juce::StringArray destinationBankItems (int deviceModel, PayloadKind kind, const FirmwareVersionRecord& version,
                                                   int displayOffset);

    SendOptionsDialog (const SkinManager* skin, UserDialogs& dialogs, const Setup& setup);
    ~SendOptionsDialog() override;

    const Content& getContent() const noexcept { return content; }

    /** Called with the modal result when the dialog is done (1 Send, 0 Cancel). */
    std::function<void (int)> onFinished;

    //==============================================================================
    // What the user does, for the dialog's own widgets and for tests.

    /** Opens the destination menu and takes the picked bank. */
    void showDestinationBankMenu();

    /** Takes the bank at index of the destination menu; false when there is no such item. */
    bool chooseBank (int index);

    /** The cab destination: 1 a user location, 2 the currently selected slot, 3 a scratchpad. */
    void chooseCabDestination (int choice);

    /** Sets the number field of a cab destination (1 or 3) as the user would type it. */
    void setCabNumber (int choice, const juce::String& text);

    /** The Orvix III user bank list's choice, 0 or 1. */
    void setUserBank (int index);

    /** "Send": true (and onFinished (1)) when the choice is valid; otherwise the warning, and the
        dialog stays open.
    */
    bool confirm();

    /** "Cancel 2" or the window's close button. */
    void cancel();

    bool isSendEnabled() const;
    SendPlan::Choices getChoices() const noexcept { return choices; }
    juce::String getBankText() const;

    void paint (juce::Graphics& g) override;
    /** Its window is a dialog of the main window, marked before it shows. */
    void parentHierarchyChanged() override;
    void mouseUp (const juce::MouseEvent& event) override;

private:
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void build();
    void buildCabRows();

    /** How much taller than its content's height the dialog is drawn so that its texts are read
        whole (0 when they fit), at most maximumGrowth.
    */
    int textOverflow() const;

    enum class TextPart
    {
        text,
        warning,
        instructions
    };

    /** The least height of a text of the dialog, which it keeps when it needs less. */
    int leastHeight (TextPart part) const;

    /** The height that a text needs at its width. */
    static int neededHeight (juce::TextEditor& text);

    /** Where the bank choice lies before the dialog grows. */
    int bankChoiceTop() const;
    static constexpr int maximumGrowth = 200;
    std::unique_ptr<juce::ImageButton> makeButton (const juce::String& name, const juce::String& image,
                                                   juce::Rectangle<int> bounds);
    void updateSendEnabled();
    TPXSpinControl* spinFor (int choice) const;

    const SkinManager* skin = nullptr;
    UserDialogs& dialogs;
    Setup setup;
    Content content;
    SendPlan::Choices choices;
    int cabChoice = 0;

    std::unique_ptr<juce::ImageButton> checkImage, sendButton, cancelButton;
    std::unique_ptr<TPXLabelComponent> fileNameLabel, buttonStrip;
    std::unique_ptr<TPXMultiLineLabelComponent> textLabel, warningLabel, instructionsLabel;
    std::unique_ptr<juce::Label> bankLabel, cabWarningLabel, overwriteLabel;
    std::unique_ptr<juce::DrawableButton> bankSelect;
    std::unique_ptr<juce::ToggleButton> userToggle, currentToggle, scratchToggle;
    std::unique_ptr<TPXSpinControl> userSpin, scratchSpin;
    std::unique_ptr<juce::ComboBox> userBankList;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SendOptionsDialog)
};
