#include "SkinRequirements.h"

namespace
{
    // Attribute sets by widget kind.
    const char* const imageButton = "upImage overImage downImage positionX positionY toolTip";
    const char* const divider = "upImage positionX positionY";
    const char* const label = "font fontSize fontColor bounds";
    const char* const groupButton = "positionX positionY width height buttonCornerSize borderThickness "
                                    "borderNormalColor borderOverColor borderDownColor fillNormalColor1 "
                                    "fillOverColor1 fillDownColor1 labelNormalColor labelOverColor "
                                    "labelDownColor labelText labelFont labelFontSize useAlpha alphaEnabled "
                                    "alphaDisabled";
    const char* const toggle = "text focusedOutlineColor buttonColor toggleRect";
    const char* const textLabel = "text fontColor backgroundColor positionX positionY width height";
    const char* const fullSpin = "width minVal maxVal interval initialValue maxChars spinControlRect";
    const char* const rangedSpin = "width interval spinControlRect";
    const char* const slotSpin = "width minVal maxVal interval initialValue spinControlRect";
    const char* const xlCabSpin = "width minVal interval initialValue spinControlRect";
    const char* const iconDivider = "icon positionX positionY";
    const char* const pointDivider = "point";
    const char* const box = "positionX positionY width height";

    juce::StringArray keys (const juce::String& a, const juce::String& b = {})
    {
        auto list = juce::StringArray::fromTokens (a + " " + b, " ", "");
        list.removeEmptyStrings();
        return list;
    }

    void add (std::vector<SkinRequirements::Widget>& list, const juce::String& section,
              const juce::String& names, const juce::StringArray& attributes)
    {
        for (auto& name : juce::StringArray::fromTokens (names, " ", ""))
            if (name.isNotEmpty())
                list.push_back ({ section, name, attributes });
    }

    void addBackupFrame (std::vector<SkinRequirements::Widget>& list, const juce::String& section,
                         bool okStartsDisabled)
    {
        add (list, section, "rectangle", keys (label));
        add (list, section, "okayButton", keys (imageButton, okStartsDisabled ? "disabledImage" : ""));
        add (list, section, "cancelButton", keys (imageButton));
    }

    void addOrvixII (std::vector<SkinRequirements::Widget>& list, bool xl)
    {
        const juce::String section = xl ? "OrvixIIXLBackupSkin" : "OrvixIIBackupSkin";
        const juce::String p = xl ? "backupOrvixIIXL" : "backupOrvixII";

        add (list, section, "divider1 divider2 divider3", keys (iconDivider));
        add (list, section, p + "Toggle", keys (toggle));
        add (list, section, "selectAllButton deselectAllButton invertSelectionButton", keys (groupButton));

        for (auto bank : juce::StringArray::fromTokens (xl ? "A B C D E F" : "A B C", " ", ""))
            add (list, section, p + "Bank" + bank + "Toggle", keys (toggle));

        add (list, section, p + "SystemToggle", keys (toggle));
        add (list, section, p + "SystemDescription", keys (textLabel));

        if (xl)
        {
            for (auto bank : juce::StringArray::fromTokens ("A B C D E F G H", " ", ""))
                add (list, section, p + "CabBank" + bank + "Toggle", keys (toggle));
        }
        else
        {
            add (list, section, p + "UserCabsToggle", keys (toggle));
        }

        add (list, section, p + "PresetToggle", keys (toggle));
        add (list, section, p + "PresetSpinControl", keys (rangedSpin));
        add (list, section, p + "DisplayOffsetWarning", keys (textLabel));
        add (list, section, p + "PresetEditBufferToggle " + p + "PresetEditBufferStripGlobalsToggle "
                                + p + "UserCabToggle", keys (toggle));
        add (list, section, p + "UserCabSpinControl", keys (xl ? xlCabSpin : slotSpin));
        addBackupFrame (list, section, false);
    }

    void addUpdateWindow (std::vector<SkinRequirements::Widget>& list, bool firmware)
    {
        const juce::String section = firmware ? "FirmwareUpdateSkin" : "AutoUpdateSkin";
        add (list, section, "progressDownloadLabel infoLabel infoButtonLabel", keys (label));
        add (list, section, "progressBar", keys ("foregroundColor backgroundColor bounds"));
        add (list, section, "progressCancelButton infoCancelButton", keys (imageButton));
        add (list, section, "infoNotes", keys (box));
        add (list, section, "infoOkayButton", keys (imageButton, firmware ? "centerPositionX disabledImage"
                                                                           : "centerPositionX"));

        if (firmware)
        {
            add (list, section, "releaseNotesToggle", keys (toggle));
            add (list, section, "additionalInfoLabel", keys (box));
            add (list, section, "additionalInfoLinkLabel", keys (label));
        }
        else
        {
            add (list, section, "infoNoCheckOnStartupToggle", keys (toggle));
        }
    }
} // namespace

std::vector<SkinRequirements::Section> SkinRequirements::getSections()
{
    const juce::String updateSizes = "progressWidth progressHeight infoWidth infoHeight";

    return {
        { "MainSkin", {} },
        { "KT4BackupSkin", {} },
        { "LM6BackupSkin", {} },
        { "OrvixIIBackupSkin", {} },
        { "OrvixIIXLBackupSkin", {} },
        { "OrvixIIIBackupSkin", {} },
        { "AutoUpdateSkin", keys (updateSizes) },
        { "FirmwareUpdateSkin", keys (updateSizes) },
        { "PopupMenuSkin", keys ("menuBackgroundColor menuBorderColor fontHeaderColor fontColor "
                                 "itemHighlightedColor fontHighlightedColor font fontSize") },
        { "MenuBarSkin", keys ("topLevelTextColor topLevelTextColorSelected font fontSize") },
        { "AlertWindowSkin", keys ("backgroundColor fontColor borderColor font fontSize msgFont msgFontSize") },
        { "TitlebarSkin", keys ("gradientTop gradientBtm") },
        { "DialogSkin", keys ("backgroundColor fontColor toggleFillColor toggleBorderColor toggleMarkColor "
                              "toggleDisabledColor progressBorderColor titleBarHeight") },
    };
}

std::vector<SkinRequirements::Widget> SkinRequirements::getWidgets()
{
    std::vector<Widget> list;

    add (list, "MainSkin", "showFolder", keys (imageButton, "disabledImage"));

    {
        const juce::String s = "KT4BackupSkin";
        add (list, s, "backupKT4Toggle backupSetsOfPresetBanksToggle", keys (toggle));
        add (list, s, "selectAllButtonKT4 deselectAllButtonKT4 invertSelectionButtonKT4 "
                      "selectAllButton2KT4 deselectAllButton2KT4 invertSelectionButton2KT4", keys (groupButton));
        add (list, s, "backupPresetBanksToggle backupUserCabBanksToggle backupSystemToggle "
                      "backupPresetBanks1Toggle backupPresetBanks2Toggle backupPresetBanks3Toggle "
                      "backupPresetBanks4Toggle backupPresetBankToggle backupUserCabBankToggle "
                      "backupPresetToggle backupUserCabToggle backupCurrentPresetToggle "
                      "backupCurrentUserCabToggle", keys (toggle));
        add (list, s, "backupTimeWarning", keys (textLabel));
        add (list, s, "divider1 divider2 divider3 divider4", keys (divider));
        add (list, s, "backupPresetBankSpinControl backupUserCabBankSpinControl backupPresetSpinControl "
                      "backupUserCabSpinControl", keys (fullSpin));
        addBackupFrame (list, s, false);
    }

    {
        const juce::String s = "LM6BackupSkin";
        add (list, s, "backupLM6Toggle backupPresetBanksToggle backupSystemToggle backupPresetBankToggle "
                      "backupPresetToggle backupCurrentPresetToggle", keys (toggle));
        add (list, s, "divider1 divider2 divider3", keys (divider));
        add (list, s, "backupPresetBankSpinControl backupPresetSpinControl", keys (fullSpin));
        addBackupFrame (list, s, true);
    }

    addOrvixII (list, false);
    addOrvixII (list, true);

    {
        const juce::String s = "OrvixIIIBackupSkin";
        add (list, s, "divider1 divider2 divider3", keys (pointDivider));
        add (list, s, "BackUpAllToggle PresetBankAToggle PresetBankBToggle PresetBankCToggle PresetBankDToggle "
                      "CabBank1Toggle CabBank2Toggle SystemToggle GlobalToggle FootswitchToggle PresetToggle "
                      "PresetCurrentToggle UserCabToggle", keys (toggle));
        add (list, s, "selectAllButton deselectAllButton invertSelectionButton", keys (groupButton));
        add (list, s, "SystemDescription GlobalDescription", keys (textLabel));
        add (list, s, "PresetSpinControl", keys (rangedSpin));
        add (list, s, "UserCabBankCombo", keys ("rect"));
        add (list, s, "UserCabSlotSpin", keys (slotSpin));
        addBackupFrame (list, s, false);
    }

    addUpdateWindow (list, false);
    addUpdateWindow (list, true);

    add (list, "TitlebarSkin", "zandrelIcon", keys ("positionY font fontSize fontColorActive fontColorInactive"));
    add (list, "TitlebarSkin", "closeButton minimizeButton", keys ("upImage overImage downImage toolTip positionX positionY"));
    return list;
}

std::vector<SkinRequirements::FixedEntry> SkinRequirements::getFixedEntries()
{
    std::vector<FixedEntry> entries {
        { "bg-body-send.png", 800, 553 },
        { "bg-body-receive.png", 800, 553 },
        { "dropdown.png", 232, 27 },
        { "glim-eyes-off.png", 83, 34 },
        { "icon-check.png", 15, 15 },
        { "icon-error.png", 15, 15 },
        { "helptext_01.png", 240, 20 },
        { "helptext_05.png", 240, 20 },
        { "plus.png", 24, 14 },
        { "plus-down.png", 24, 14 },
        { "minus.png", 24, 14 },
        { "minus-down.png", 24, 14 },
        { "missing_image_release.png", 16, 16 },
        { "_bgp_b.stf", 0, 0 },
        { "_missing_font.stf", 0, 0 },
    };

    for (auto tab : { "tab-send", "tab-receive" })
        for (auto suffix : { "", "-back", "-over" })
            entries.push_back ({ juce::String (tab) + suffix + ".png", 169, 33 });

    const auto addStates = [&entries] (const juce::String& base, int w, int h)
    {
        for (auto suffix : { "", "-down", "-over" })
            entries.push_back ({ base + suffix + ".png", w, h });
    };

    addStates ("btn-browse", 152, 42);
    addStates ("btn-begin", 152, 42);
    addStates ("btn-cancel", 78, 30);
    addStates ("btn-sendsmall", 78, 30);
    addStates ("btn-ready", 78, 30);
    addStates ("btn-ok", 78, 30);

    // The help rows: the console spells the support row's variants differently from the others.
    for (auto n : { "02", "03", "07" })
        addStates (juce::String ("helptext_") + n, 240, 20);

    entries.push_back ({ "helptext_06.png", 240, 20 });
    entries.push_back ({ "helptext-down_06.png", 240, 20 });
    entries.push_back ({ "helptext-over_06.png", 240, 20 });
    return entries;
}

juce::StringArray SkinRequirements::getImageAttributes()
{
    return keys ("upImage overImage downImage disabledImage upImageOn overImageOn downImageOn disabledImageOn icon");
}

juce::StringArray SkinRequirements::getFontAttributes()
{
    return keys ("font labelFont labelFontSecondary msgFont");
}

std::vector<SkinRequirements::QuotedText> SkinRequirements::getQuotedTexts()
{
    return {
        { "KT4BackupSkin", "backupKT4Toggle", "Back up the KT4." },
        { "KT4BackupSkin", "backupSetsOfPresetBanksToggle", "Back up sets of preset banks." },
        { "LM6BackupSkin", "backupLM6Toggle", "Back up the LM6." },
        { "OrvixIIBackupSkin", "backupOrvixIIToggle", "Back up the Orvix II." },
        { "OrvixIIXLBackupSkin", "backupOrvixIIXLToggle", "Back up the Orvix II." },
        { "OrvixIIIBackupSkin", "BackUpAllToggle", "Back up the Orvix III." },
    };
}

juce::StringArray SkinRequirements::getKnownAttributes()
{
    return keys ("name skin skinEngineVersion "
                 // image buttons
                 "upImage overImage downImage disabledImage upImageOn overImageOn downImageOn disabledImageOn "
                 "toolTip positionX positionY width height labelTextRect labelTextJustify labelFont "
                 "labelFontSize labelFontColor labelFontColorOver labelFontColorDown centerPositionX "
                 // labels
                 "font fontSize fontColor backgroundColor bounds textJustify text minHorzScale "
                 "normalTextColor selectedTextColor mouseOverTextColor normalBgColor selectedBgColor "
                 "mouseOverBgColor useAlpha alpha "
                 // painted buttons
                 "toggleMode buttonCornerSize borderThickness borderNormalColor borderOverColor "
                 "borderDownColor fillNormalGradient fillOverGradient fillDownGradient fillNormalColor1 "
                 "fillNormalColor2 fillOverColor1 fillOverColor2 fillDownColor1 fillDownColor2 "
                 "labelNormalColor labelOverColor labelDownColor labelText labelFontSecondary labelJustify "
                 "useOpacity opacityNormal opacityDown alphaEnabled alphaDisabled useFocusRect",
                 // toggles, spins, dividers, combo, progress bar, title bar, section attributes
                 "focusedOutlineColor buttonColor toggleRect minVal maxVal interval initialValue maxChars "
                 "spinControlRect icon point rect foregroundColor fontColorActive fontColorInactive "
                 "progressWidth progressHeight infoWidth infoHeight menuBackgroundColor menuBorderColor "
                 "fontHeaderColor itemHighlightedColor fontHighlightedColor topLevelTextColor "
                 "topLevelTextColorSelected borderColor msgFont msgFontSize gradientTop gradientBtm "
                 // the dialogs' look
                 "toggleFillColor toggleBorderColor toggleMarkColor toggleDisabledColor progressBorderColor "
                 "titleBarHeight");
}
