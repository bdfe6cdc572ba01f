#pragma once

/** What TPXFirmwareUpdate::checkForUpdate found for the connected device. */
struct FirmwareCheckResult
{
    static constexpr int nothing = 0;       ///< skipped, feed unreadable, no product, nothing newer
    static constexpr int newer = 1;         ///< newer firmware this program can download and send
    static constexpr int endOfLife = 3;     ///< the end-of-life notice has been shown
    static constexpr int incompatible = 4;  ///< newer firmware that this program cannot send
};
