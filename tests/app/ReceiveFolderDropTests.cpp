#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"

using morvane::test::DeviceQueryAnswers;

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
            EXPECT_EQ (dynamic_cast<juce::TextEditor*> (child ("File"))->getText(), row.expected) << row.what;
        }
    }

    EXPECT_TRUE (dialogs.boxes.empty()) << "a refused drop says nothing";
    EXPECT_FALSE (console().isFileLoaded()) << "nothing dropped on the receive page is loaded to send";
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
    EXPECT_FALSE (console().isFileLoaded());

    console().showReceivePage();
    drop ({ second.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), second.getFullPathName()) << "ready again on the receive page";
}
} // namespace
