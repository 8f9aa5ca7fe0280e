#include "HttpRequestBase.h"

#include "DeviceInfoCenter.h"
#include "HttpAnswer.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcApi, "zephyr.net", QtWarningMsg)

namespace {
constexpr qint64 kReadAheadBytes = 1024 * 1024;

QByteArray percentEscape(const QString &text, const QByteArray &alsoEscaped)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const auto b = uchar(c);
        if (b <= 0x20 || b >= 0x7f || alsoEscaped.contains(char(b))) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0xf];
        } else {
            out += char(b);
        }
    }
    return out;
}

// Characters that may not stand in a URL. "#" is among them: left as it is, it would cut the
// rest of the query off as a fragment.
const QByteArray kUrlIllegal = QByteArrayLiteral("\"#%<>[\\]^`{|}");
const QByteArray kFormEscaped = QByteArrayLiteral(":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`");

// Whether a reply with an HTTP status carries the server's whole answer. Qt reports every status
// of 400 and above as an error of its own, 400 and the statuses it does not name as an invalid
// operation and 407 as a proxy error; the body is the answer all the same. Transport failures,
// cut-off bodies, time-outs and cancellations have no answer.
bool isHttpAnswer(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

void setIdentity(QNetworkRequest &request)
{
    const QString ua = DeviceInfoCenter::getHttpRequestUA();
    if (!ua.isEmpty())
        request.setRawHeader("UA", ua.toUtf8());
}
} // namespace

HttpRequestBase::HttpRequestBase(const Context &context, Callback callback, QObject *parent)
    : QObject(parent), m_context(context), m_callback(std::move(callback))
{
    m_context.hub->addObserver(
        this, Notifications::CancelHttpRequest,
        [this](const QVariantMap &userInfo) { cancelHttpRequest(userInfo); });
}

HttpRequestBase::~HttpRequestBase()
{
    m_delivered = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply.data();
    }
}

QString HttpRequestBase::parameterText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? u"1"_s : u"0"_s;
    return value.toString();
}

QByteArray HttpRequestBase::escapeQueryValue(const QString &value)
{
    return percentEscape(value, kUrlIllegal).replace('&', "%26");
}

QByteArray HttpRequestBase::buildGetUrl(const QString &url, const QVariantMap &params)
{
    QByteArray out = url.toUtf8();
    bool first = true;
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        out += first ? '?' : '&';
        out += it.key().toUtf8() + '=' + escapeQueryValue(parameterText(it.value()));
        first = false;
    }
    return out;
}

QByteArray HttpRequestBase::escapeFormComponent(const QString &text)
{
    return percentEscape(text, kFormEscaped);
}

QByteArray HttpRequestBase::buildFormBody(const QVariantMap &params)
{
    QByteArrayList pairs;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        pairs << escapeFormComponent(it.key()) + '=' +
                     escapeFormComponent(parameterText(it.value()));
    return pairs.join('&');
}

void HttpRequestBase::setHttpRequestGetWithUrl(const QString &url, const QVariantMap &params)
{
    QNetworkRequest request(QUrl::fromEncoded(buildGetUrl(url, params)));
    setIdentity(request);
    request.setTransferTimeout(m_timeoutMs);
    send(m_context.manager->get(request));
}

void HttpRequestBase::setHttpRequestPostWithUrl(const QString &url, const QVariantMap &params)
{
    QNetworkRequest request(QUrl::fromEncoded(url.toUtf8()));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded; charset=utf-8"));
    setIdentity(request);
    request.setTransferTimeout(m_timeoutMs);
    send(m_context.manager->post(request, buildFormBody(params)));
}

void HttpRequestBase::send(QNetworkReply *reply)
{
    if (m_reply || m_delivered) {
        // One exchange per object: a second builder call is refused.
        reply->abort();
        reply->deleteLater();
        return;
    }
    m_reply = reply;
    // The answer is taken as it arrives, and the network layer holds no more than this ahead of
    // it, so an answer over the cap is never held whole.
    reply->setReadBufferSize(kReadAheadBytes);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        if (!collect())
            refuseOverlongAnswer();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this] {
        if (!collect())
            refuseOverlongAnswer();
    });
    connect(reply, &QNetworkReply::finished, this, &HttpRequestBase::replyFinished);
}

bool HttpRequestBase::collect()
{
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > MaxAnswerBytes)
        return false;
    const qint64 room = MaxAnswerBytes - m_body.size();
    m_body += m_reply->read(std::min(m_reply->bytesAvailable(), room));
    return !m_reply->bytesAvailable();
}

void HttpRequestBase::refuseOverlongAnswer()
{
    qCWarning(lcApi).noquote() << "answer of" << m_reply->url().toDisplayString() << "is over"
                               << (MaxAnswerBytes >> 20) << "MiB; refused";
    stopHttpRequest();
}

void HttpRequestBase::replyFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    if (!collect()) {
        refuseOverlongAnswer();
        return;
    }
    m_reply.clear();
    reply->deleteLater();
    reply->disconnect(this);
    const QByteArray body = std::exchange(m_body, {});
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || !isHttpAnswer(reply->error())) {
        deliver({});
        return;
    }
    const HttpAnswer answer = HttpAnswer::decode(m_tagStr, status.toInt(), body);
    if (answer.dropsLogin)
        m_context.state->setStatus(AppStatusNotLoggedIn);
    deliver(answer.value);
}

void HttpRequestBase::stopHttpRequest()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply.clear();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    deliver({});
}

void HttpRequestBase::requestFailed()
{
    deliver({});
}

void HttpRequestBase::cancelHttpRequest(const QVariantMap &userInfo)
{
    if (userInfo.contains(u"tagStr"_s)) {
        const QString tagStr = userInfo.value(u"tagStr"_s).toString();
        if (!tagStr.isEmpty() && tagStr == m_tagStr)
            stopHttpRequest();
        return;
    }
    if (m_tagStr != HttpTags::PlainJson)
        stopHttpRequest();
}

void HttpRequestBase::deliver(const QVariant &answer)
{
    if (m_delivered)
        return;
    m_delivered = true;
    if (m_callback)
        m_callback(this, answer);
}
