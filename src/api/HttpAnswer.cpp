#include "HttpAnswer.h"

#include "Base64.h"
#include "JsonUtils.h"
#include "Utils.h"

#include <QStringDecoder>
#include <QUtf8StringView>

#include <string_view>

using namespace Qt::StringLiterals;

namespace {
// The PC's text layer as UTF-8 bytes. Both rewrites touch ASCII only, which UTF-8 never uses
// inside a multi-byte sequence, so they give the same text on the bytes as on the decoded
// string, and the JSON parser reads the bytes without a round trip through UTF-16. A leading
// byte order mark, which the decoder drops, takes the string path instead.
std::optional<QByteArray> decodePcBytes(const QByteArray &body)
{
    auto raw = Base64::decodeComplemented(body);
    if (!raw)
        return std::nullopt;
    QByteArray bytes = std::move(*raw);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const auto text = HttpAnswer::decodePcText(body);
        return text ? std::optional<QByteArray>(text->toUtf8()) : std::nullopt;
    }
    if (!QUtf8StringView(bytes).isValidUtf8())
        return std::nullopt;
    if (bytes.contains('\r'))
        bytes.replace("\r\\n", "\\n");
    // QByteArray's search for a two-byte text walks a large listing byte by byte; the standard
    // one skips to each backslash.
    if (std::string_view(bytes.constData(), size_t(bytes.size())).find("\\'") !=
        std::string_view::npos)
        bytes.replace("\\'", "'");
    return bytes;
}
} // namespace

std::optional<QString> HttpAnswer::decodePcText(const QByteArray &body)
{
    const auto raw = Base64::decodeBase64DataReturnData(body);
    if (!raw)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(Utils::negated(*raw));
    if (utf8.hasError())
        return std::nullopt;
    text.replace(u"\r\\n"_s, u"\\n"_s);
    text.replace(u"\\'"_s, u"'"_s);
    return text;
}

HttpAnswer HttpAnswer::decode(const QString &tagStr, int status, const QByteArray &body)
{
    HttpAnswer answer;
    if (tagStr == HttpTags::Image) {
        // The picture is decoded where it is shown.
        if (!body.isEmpty())
            answer.value = body;
        return answer;
    }
    if (tagStr == HttpTags::PlainJson) {
        answer.value = JsonUtils::dataToDictionary(body);
        return answer;
    }
    if (const auto bytes = decodePcBytes(body))
        answer.value = JsonUtils::dataToDictionary(*bytes);
    answer.dropsLogin = status == 403;
    return answer;
}
