// Fuzz target: the JSON reader (simdjson, with Qt's parser for what the library refuses) against
// Qt's own reading. Whatever the input, both must give the same value of the same kinds, or both
// refuse it.
#include "JsonUtils.h"
#include "VariantCompare.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    if (text.isEmpty())
        return 0;
    const QVariant read = JsonUtils::dataToDictionary(text);
    const QVariant expected = qtJsonReading(text);
    if (read.isValid() != expected.isValid() || (read.isValid() && !sameVariant(read, expected)))
        std::abort();
    return 0;
}
