// Fuzz entry point: one datagram from the network, as the control channel decodes it.
#include "ControlDatagram.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray datagram =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto message = ControlDatagram::decode(datagram);
    if (message) {
        // What the channel reads from an accepted message.
        (void)ControlDatagram::machineIdOf(message->value(QStringLiteral("ua")).toString());
        (void)ControlDatagram::encode(*message);
    }
    return 0;
}
