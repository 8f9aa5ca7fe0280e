#pragma once

#include <QString>

/// Text encodings used in requests to the PC.
namespace StringExtension {
/// Form encoding of the UTF-8 bytes: space as "+", letters, digits and "-._~" kept, every other
/// byte as "%XX" with upper-case digits.
[[nodiscard]] QString urlencode(const QString &text);
/// MD5 of the UTF-8 bytes up to the first zero byte, as 32 lower-case hexadecimal characters.
[[nodiscard]] QString md5(const QString &text);
} // namespace StringExtension
