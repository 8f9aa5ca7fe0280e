#include "HttpAnswer.h"

#include "Base64.h"
#include "JsonUtils.h"
#include "Utils.h"

#include <QImage>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

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
        const QImage image = QImage::fromData(body);
        if (!image.isNull())
            answer.value = image;
        return answer;
    }
    if (tagStr == HttpTags::PlainJson) {
        answer.value = JsonUtils::dataToDictionary(body);
        return answer;
    }
    if (const auto text = decodePcText(body))
        answer.value = JsonUtils::stringToDictionary(*text);
    answer.dropsLogin = status == 403;
    return answer;
}
