#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"

using morvane::test::DeviceQueryAnswers;
using morvane::test::runMessageLoopFor;

namespace
{
/** The console with an Orvix III on its ports and two scratch folders with a file in each. */
class ReceiveFolderDropTest : public ConsoleRig
{
protected:
    ~ReceiveFolderDropTest() override { scratch.deleteRecursively(); }

    void SetUp() override
    {
        ConsoleRig::SetUp();
        first.createDirectory();
        second.createDirectory();
        first.getChildFile ("preset.syx").replaceWithText ("F0 F7");
    }

    void openWithDevice()
    {
        auto& device = plugDevice (16, "Orvix III MIDI 1");
        answers = std::make_unique<DeviceQueryAnswers> (device, 1, 3);
        open();
        chooseFromMenu (16);
        ASSERT_TRUE (console().isInputOk() && console().isOutputOk());
    }

    void drop (const juce::StringArray& paths, int x, int y) { console().filesDropped (paths, x, y); }

    const juce::File scratch { juce::File::createTempFile ("drops") };
    const juce::File first { scratch.getChildFile ("first") };
    const juce::File second { scratch.getChildFile ("second") };
    std::unique_ptr<DeviceQueryAnswers> answers;
};

TEST_F (ReceiveFolderDropTest, OnlyAnExistingFolderDroppedInsideTheAreaBecomesTheReceiveFolder)
{
    openWithDevice();
    console().showReceivePage();

    const auto folderA = first.getFullPathName();
    const auto folderB = second.getFullPathName();
    const auto file = first.getChildFile ("preset.syx").getFullPathName();
    const auto missing = scratch.getChildFile ("missing").getFullPathName();

    // In order: each row starts from the receive folder that the rows before it left.
    struct Row
    {
        const char* what;
        juce::StringArray paths;
        int x, y;
        juce::String expected;   // empty: the receive folder stays as it was
    };

    const Row rows[] = {
        { "a folder at the area's top left corner", { folderA }, 260, 273, folderA },
        { "a file", { file }, 400, 300, {} },
        { "a folder that does not exist", { missing }, 400, 300, {} },
        { "a relative path", { "second" }, 400, 300, {} },
        { "nothing", {}, 400, 300, {} },
        { "a folder beyond the right edge", { folderB }, 770, 300, {} },
        { "a folder below the lower edge", { folderB }, 300, 363, {} },
        { "a folder left of the area", { folderB }, 259, 300, {} },
        { "a file before a folder", { file, folderB }, 400, 300, {} },
        { "a folder before a file, at the last point inside", { folderB, file }, 769, 362, folderB },
    };

    for (const auto& row : rows)
    {
        const auto before = console().getReceiveFolder();
        drop (row.paths, row.x, row.y);

        EXPECT_EQ (console().getReceiveFolder(), row.expected.isNotEmpty() ? row.expected : before) << row.what;

        if (row.expected.isNotEmpty())
        {
            EXPECT_TRUE (console().isReceiveFolderChosen()) << row.what;
            EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), row.expected) << row.what;
        }
    }

    EXPECT_TRUE (dialogs.boxes.empty()) << "a refused drop says nothing";
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded()) << "nothing dropped on the receive page is loaded to send";
}

TEST_F (ReceiveFolderDropTest, NoFolderIsTakenWithoutTheDevicesPortsWhileWorkRunsOrOnTheSendPage)
{
    open();
    console().showReceivePage();
    auto untouched = console().getReceiveFolder();

    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "no device, no ports";

    window.reset();
    link.reset();
    openWithDevice();
    console().showReceivePage();
    untouched = console().getReceiveFolder();
    ASSERT_NE (untouched, first.getFullPathName());

    console().setControlsEnabled (false);
    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "controls locked while work runs";
    console().setControlsEnabled (true);

    console().showSendPage();
    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "the send page takes files, not folders";
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());

    console().showReceivePage();
    drop ({ second.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), second.getFullPathName()) << "ready again on the receive page";
}

TEST_F (ReceiveFolderDropTest, EachPageTakesOnlyItsOwnKindOfDragAndSaysWhyADropCannotBeUsedYet)
{
    open();
    const auto syx = first.getChildFile ("preset.syx");
    const auto text = first.getChildFile ("notes.txt");
    ASSERT_TRUE (text.replaceWithText ("notes"));

    EXPECT_TRUE (console().isInterestedInFileDrag ({ syx.getFullPathName() })) << "the send page takes files";
    EXPECT_TRUE (console().isInterestedInFileDrag ({ text.getFullPathName() })) << "and says what is wrong with one";
    EXPECT_FALSE (console().isInterestedInFileDrag ({ first.getFullPathName() })) << "but no folder";
    EXPECT_FALSE (console().isInterestedInFileDrag ({ scratch.getChildFile ("gone.syx").getFullPathName() }));
    EXPECT_FALSE (console().isInterestedInFileDrag ({}));

    drop ({ syx.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 1u) << "a .syx file without a device";
    EXPECT_EQ (dialogs.boxes.back().text, "Choose the device and its MIDI ports before dropping a file to send.");
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());

    drop ({ text.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 2u) << "a file that is not .syx";
    EXPECT_EQ (dialogs.boxes.back().text, "\"notes.txt\" is not a .syx file. Only .syx files can be sent.");

    drop ({ syx.getFullPathName() }, 100, 100);
    EXPECT_EQ (dialogs.boxes.size(), 2u) << "outside the drop area nothing is said";

    console().showReceivePage();
    EXPECT_TRUE (console().isInterestedInFileDrag ({ first.getFullPathName() })) << "the receive page takes folders";
    EXPECT_FALSE (console().isInterestedInFileDrag ({ syx.getFullPathName() })) << "but no file";

    const auto before = console().getReceiveFolder();
    drop ({ first.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 3u) << "a folder without a device";
    EXPECT_EQ (dialogs.boxes.back().text, "Choose the device and its MIDI ports before dropping a folder for the backups.");
    EXPECT_EQ (console().getReceiveFolder(), before);
}

TEST_F (ReceiveFolderDropTest, ASyxFileDroppedWithTheDevicesPortsSetIsLoadedWithoutABox)
{
    openWithDevice();
    const auto syx = first.getChildFile ("preset.syx");
    drop ({ syx.getFullPathName() }, 400, 300);

    // The file's content decides whether it is loaded; the drop itself asks nothing.
    for (const auto& box : dialogs.boxes)
        EXPECT_FALSE (box.text.startsWith ("Choose the device")) << box.text;
}
TEST_F (ReceiveFolderDropTest, TheFolderButtonOnTheReceivePageOpensTheReceiveFolder)
{
    openWithDevice();
    console().showReceivePage();
    console().setReceiveFolder (first.getFullPathName());

    auto* button = dynamic_cast<juce::Button*> (child ("showFolder"));
    ASSERT_NE (button, nullptr);
    ASSERT_TRUE (button->isEnabled());

    button->triggerClick();
    runMessageLoopFor (50);
    EXPECT_EQ (services.revealed, juce::StringArray (first.getFullPathName())) << "the receive folder, not the send file";
    EXPECT_TRUE (dialogs.boxes.empty());

    // A folder deleted since it was chosen is told, not opened.
    first.deleteRecursively();
    button->triggerClick();
    runMessageLoopFor (50);
    EXPECT_EQ (services.revealed.size(), 1);
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "The selected path is not valid.");
}
} // namespace
