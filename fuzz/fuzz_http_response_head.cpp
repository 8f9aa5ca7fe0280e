// Fuzz target: the decoder of a download answer's head. Besides not crashing, a decoded head must
// describe the bytes it claims, and must not depend on the body bytes after it.
#include "HttpResponseHead.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    HttpResponseHead head;
    qsizetype headLength = -1;
    switch (HttpResponseHead::parse(bytes, &head, &headLength)) {
    case HttpResponseHead::Parse::Incomplete:
        check(bytes.size() < HttpResponseHead::kMaxBytes);
        break;
    case HttpResponseHead::Parse::Invalid:
        break;
    case HttpResponseHead::Parse::Complete: {
        check(headLength > 0 && headLength <= bytes.size());
        check(headLength <= HttpResponseHead::kMaxBytes + 2);
        check(head.status >= 100 && head.status <= 999);
        check(head.contentLength >= -1);
        check(bytes.at(headLength - 1) == '\n');
        HttpResponseHead alone;
        qsizetype aloneLength = -1;
        check(HttpResponseHead::parse(bytes.left(headLength), &alone, &aloneLength) ==
              HttpResponseHead::Parse::Complete);
        check(aloneLength == headLength && alone.status == head.status &&
              alone.contentLength == head.contentLength && alone.keepAlive == head.keepAlive &&
              alone.transferCoded == head.transferCoded);
        break;
    }
    }
    return 0;
}
