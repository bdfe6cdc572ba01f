#pragma once

#include "SimulatedDevice.h"

#include <memory>
#include <mutex>
#include <vector>

namespace morvane::test
{
/** Makes a SimulatedDevice answer the short queries and commands as a device of its model and
    firmware version does:

    | function                  | Orvix II family (3, 6, 7)      | LM6 (5, 10) | KT4 (8) | Orvix III (16) | QMR-303 (2, 4) |
    |---------------------------|--------------------------------|-------------|---------|----------------|----------------|
    | version 0x08              | yes                            | yes         | yes     | yes            | silent         |
    | system information 0x47   | from firmware 10.00            | code 5      | yes     | yes            | silent         |
    | config 0x35 (offset 766)  | from firmware 10.09            | code 5      | code 5  | code 5         | silent         |
    | current patch 0x14        | yes                            | code 5      | code 5  | yes            | silent         |
    | recall 0x3C               | status 0, patch changes        | code 5      | code 5  | status 0       | silent         |
    | mute 0x3E                 | code 5                         | code 5      | status 0| code 5         | silent         |
    | editor disconnect 0x42    | status 0                       | status 0    | status 0| code 5         | silent         |

    Code 5 is the device's answer to a function it does not know; a request that carries another
    model's byte gets code 3. What the device was told (recalls, mute pairs) is recorded.
    The answers stay installed while the device lives; this object may go before it.
*/
class DeviceQueryAnswers
{
public:
    DeviceQueryAnswers (SimulatedDevice& device, int firmwareMajor, int firmwareMinor);

    /** The current patch the device reports (two 7-bit fields) until a recall changes it. */
    void setCurrentPatch (int field0, int field1);

    /** The second field of the config reply for parameter 766. */
    void setDisplayOffset (int offset);

    /** The patches recalled, in order, as their two bytes. */
    std::vector<std::pair<int, int>> getRecalls() const;

    /** The mute bytes received, in order (0 mute, 1 unmute). */
    std::vector<int> getMuteBytes() const;

    /** True when every mute was followed by one unmute, and nothing else. */
    bool muteCallsArePaired() const;

private:
    struct State
    {
        mutable std::mutex lock;
        int patch[2] = { 0, 5 };
        int displayOffset = 1;
        std::vector<std::pair<int, int>> recalls;
        std::vector<int> muteBytes;
    };

    std::shared_ptr<State> state = std::make_shared<State>();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceQueryAnswers)
};
} // namespace morvane::test
