#pragma once

#include "PayloadKind.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SkinManager;
class TPXFirmwareUpdate;

/** The console's firmware offer: asks the firmware feed whether newer firmware exists for the
    connected device, says what the console's two firmware labels read, opens the notes window
    and the download's progress window on a click, and checks the downloaded image before the
    console takes it.

    The feed check object (TPXFirmwareUpdate) is kept from one check to the next, but never
    replaced while its window is open or its download runs: a check asked for meanwhile (the
    device poll may see the device again) is skipped. A check that is still reading the feed is
    replaced, and its answer never arrives. Only a check that found newer firmware
    that this program can send offers a download. Message thread only.
*/
class FirmwareOffer
{
public:
    /** What a check means for the console's labels. */
    struct Labels
    {
        enum class Action { leave, show, showIfOffered, hide };
        Action action = Action::leave;
        juce::String text, link;
    };

    /** How a download that has ended turned out. */
    enum class Outcome { none, taken, cancelled, failed, refused };

    /** listener gets the feed check's change message when a download ends. */
    FirmwareOffer (SkinManager* skin, juce::ChangeListener& listener);
    ~FirmwareOffer();

    /** Checks the feed for the device's model and version (a new check object, unless its window
        is open or its download runs). The
        feed is read on a thread of its own; onResult gets the FirmwareCheckResult on the message
        thread. False, and no call, when the check was skipped.
    */
    bool check (juce::uint8 model, int major, int minor, const juce::String& versionText, juce::PropertiesFile* settings,
                std::function<void (int)> onResult);

    /** True while a check reads the feed. */
    bool isChecking() const noexcept;

    /** The labels for a check result (see check). */
    Labels labelsFor (int result) const;

    /** True while the check object reads the feed, its window shows or its download runs. */
    bool isBusy() const;

    /** True when the last check found newer firmware that can be downloaded and sent. */
    bool isDownloadOffered() const noexcept { return downloadOffered; }

    /** The click on the link: the notes window; when the user confirms and a download is
        offered, the progress window (centred on the console) and the download. True when a
        download started.
    */
    bool showWindowAndDownload (juce::Component* console);

    /** True when the broadcaster is the current check object. */
    bool isSource (const juce::ChangeBroadcaster* source) const noexcept;

    /** After the download's change message: the outcome and, when taken, the checked image and
        its firmware kind for the device. problem says why an image was refused.
    */
    Outcome takeDownload (juce::uint8 deviceModel, juce::MemoryBlock& image, PayloadKind& kind, juce::String& problem);

    /** The available version text of the last check. */
    juce::String getVersionText() const;

    /** The console's names of the models in "<model> firmware <version>". */
    static juce::String modelName (juce::uint8 model);

    /** "<model name> firmware <version>", the "File" field's text for downloaded firmware. */
    static juce::String describeDownload (juce::uint8 model, const juce::String& version);

    /** What the device asks of the user after firmware of that kind was sent to it; the
        completion text for other kinds of those models, empty for any other case.
    */
    static juce::String noticeText (juce::uint8 model, PayloadKind kind, const juce::String& completionText);

    TPXFirmwareUpdate* getUpdate() const noexcept { return update.get(); }

    /** Makes the check object; tests replace it. */
    std::function<std::unique_ptr<TPXFirmwareUpdate> (SkinManager*, juce::uint8, int, int, const juce::String&,
                                                      juce::PropertiesFile*)> makeUpdate;

    /** Where the folder link leads, by the "File" field's text and whether the loaded data is
        downloaded firmware (which lives in memory only).
    */
    enum class FolderAction { nothing, reveal, invalidPath, inMemory };
    static FolderAction folderActionFor (const juce::String& fileText, bool firmwareInMemory);

private:
    /** True while the check object's window shows or its download runs. */
    bool isTakenUp() const;

    SkinManager* const skin;
    juce::ChangeListener& listener;
    std::unique_ptr<TPXFirmwareUpdate> update;
    int lastResult = 0;
    bool downloadOffered = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FirmwareOffer)
};
