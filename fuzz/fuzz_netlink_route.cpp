// Fuzz target: the reading of the kernel's link and address messages for the WiFi interface.
#include "NetlinkRoute.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString wifi = QStringLiteral("wlan0");
    NetlinkRoute::WifiState state;
    (void)NetlinkRoute::applyMessages(bytes, wifi, state);
    // Only the WiFi interface is ever kept.
    for (const QString &name : std::as_const(state.names))
        if (name != wifi)
            __builtin_trap();
    for (auto it = state.running.cbegin(); it != state.running.cend(); ++it)
        if (it.key() != wifi)
            __builtin_trap();
    for (auto it = state.addresses.cbegin(); it != state.addresses.cend(); ++it)
        if (it.key() != wifi)
            __builtin_trap();
    // And with the interface not known yet, from the state left by the first reading.
    (void)NetlinkRoute::applyMessages(bytes, QString(), state);
    return 0;
}
