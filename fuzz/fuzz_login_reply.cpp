// Fuzz target: the login channel's reply decoder and the readers of both replies.
#include "LoginWire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)LoginWire::declaredLength(bytes);
    const std::optional<QVariant> reply = LoginWire::decodeReply(bytes);
    if (reply) {
        if (const auto facts = LoginWire::readLoginReply(*reply))
            (void)LoginWire::loginVerdict(facts->type, facts->enable);
    }
    const LoginWire::AuthFacts auth = LoginWire::readAuthReply(reply);
    (void)LoginWire::isAuthorised(auth.cm, auth.ret);
    return 0;
}
