// Fuzz target: the HTTP answer decoder. The first byte picks the decoding: 0 an answer of the
// PC, 1 the PC refusing (403), 2 plain JSON of an outside service. An answer of the PC is also
// read by the one-pass Base64 decoder, which must agree with Qt's decoder and a complement.
#include "Base64.h"
#include "HttpAnswer.h"
#include "Utils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void checkOnePassBase64(const QByteArray &text)
{
    const auto general = Base64::decodeBase64DataReturnData(text);
    const auto direct = Base64::decodeComplemented(text);
    if (direct.has_value() != general.has_value() ||
        (general && *direct != Utils::negated(*general)))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray body(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0:
        checkOnePassBase64(body);
        (void)HttpAnswer::decode(QString(), 200, body);
        break;
    case 1:
        (void)HttpAnswer::decode(QStringLiteral("C:/"), 403, body);
        break;
    default:
        (void)HttpAnswer::decode(HttpTags::PlainJson, 200, body);
        break;
    }
    return 0;
}
