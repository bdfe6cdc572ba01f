#pragma once

/** The console's timers: their ids and periods. */
struct ConsoleTimers
{
    enum Id
    {
        logoTimer = 0,          ///< hides the logo eyes once, 1000 ms after start
        devicePollTimer = 3,    ///< polls the device link every 750 ms while idle
        firmwareNotice4 = 4,    ///< first notice after a firmware send
        firmwareNotice5 = 5     ///< second notice after a firmware send
    };

    static constexpr int logoPeriodMs = 1000;
    static constexpr int devicePollPeriodMs = 750;
    static constexpr int firmwareNoticePeriodMs = 10000;
};
