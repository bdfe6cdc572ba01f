#pragma once

/** What TPXAutoUpdate::checkForUpdate found and the user chose. */
struct UpdateCheckResult
{
    static constexpr int nothing = 0;        ///< skipped, feed unreadable, nothing newer, no end-of-life notice
    static constexpr int accepted = 1;       ///< newer, OK pressed, installable here: download it
    static constexpr int declined = 2;       ///< Cancel or closed, or the end-of-life notice was shown
    static constexpr int manualInstall = 3;  ///< newer, OK pressed, but it must be installed by hand
};
