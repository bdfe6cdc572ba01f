#pragma once

/** The program's visible version, 2.10.0: shown by the console's version label and compared by the
    program-update check. The framework's application version ("1.0.0") is shown nowhere.
*/
struct ProgramVersion
{
    static constexpr int major = 2;
    static constexpr int minor = 10;
    static constexpr int revision = 0;
};
