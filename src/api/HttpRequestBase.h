#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

class NotificationCenter;
class QNetworkAccessManager;
class QNetworkReply;
class RuntimeState;

/// One HTTP exchange with the PC's service or an outside service: builds a GET or a form POST,
/// sends it with the phone's identity header, decodes the answer by its tag string and calls
/// back exactly once, with the answer or with nothing (failure, time-out, cancellation, an
/// answer over MaxAnswerBytes).
/// Takes part in the "notification_cancel_http_request" broadcast.
class HttpRequestBase : public QObject
{
    Q_OBJECT
public:
    /// Receives the request and its decoded answer (invalid on failure).
    using Callback = std::function<void(HttpRequestBase *request, const QVariant &answer)>;

    static constexpr int DefaultTimeoutMs = 30000;
    /// Largest answer taken, counted in the bytes of its body as received (for the PC, the
    /// encoded text). No real answer comes near it: a 20,000-entry listing is 5 MB.
    static constexpr qint64 MaxAnswerBytes = qint64(64) << 20;

    /// What every exchange is given by the coordinator that makes it.
    struct Context
    {
        QNetworkAccessManager *manager = nullptr;
        /// Carries the cancellation broadcast.
        NotificationCenter *hub = nullptr;
        /// The PC's base address; told when an answer drops the login.
        RuntimeState *state = nullptr;
        /// Base addresses of the feedback and statistics services.
        QString feedbackUrl;
        QString statsUrl;
    };

    HttpRequestBase(const Context &context, Callback callback, QObject *parent = nullptr);
    /// Cancels what is in flight without a callback.
    ~HttpRequestBase() override;

    [[nodiscard]] int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    /// Routing key: selects the answer decoding and is matched by targeted cancellation.
    [[nodiscard]] QString tagStr() const { return m_tagStr; }
    void setTagStr(const QString &tagStr) { m_tagStr = tagStr; }
    void setTimeout(int ms) { m_timeoutMs = ms; }

    /// Sends a GET of @p url with the parameters as its query.
    void setHttpRequestGetWithUrl(const QString &url, const QVariantMap &params = {});
    /// Sends a form POST of @p url with the parameters as its fields.
    void setHttpRequestPostWithUrl(const QString &url, const QVariantMap &params);
    /// Cancels the exchange in flight; the callback then runs with nothing.
    void stopHttpRequest();
    /// Ends the exchange as failed without sending anything; the callback runs before returning.
    void requestFailed();

    /// @p url followed by "?k=v&k=v": values escaped as URL text, then "&" as "%26"; keys as they
    /// are. An empty map leaves the URL unchanged.
    [[nodiscard]] static QByteArray buildGetUrl(const QString &url, const QVariantMap &params);
    [[nodiscard]] static QByteArray escapeQueryValue(const QString &value);
    /// The form body "k=v&k=v", names and values escaped for a form.
    [[nodiscard]] static QByteArray buildFormBody(const QVariantMap &params);
    [[nodiscard]] static QByteArray escapeFormComponent(const QString &text);
    /// A parameter value as text: numbers in decimal, booleans as 1 or 0.
    [[nodiscard]] static QString parameterText(const QVariant &value);

private:
    void send(QNetworkReply *reply);
    /// Takes what arrived into the answer; false once the answer is announced or grown over
    /// MaxAnswerBytes.
    bool collect();
    void refuseOverlongAnswer();
    void replyFinished();
    void cancelHttpRequest(const QVariantMap &userInfo);
    void deliver(const QVariant &answer);

protected:
    [[nodiscard]] const Context &context() const { return m_context; }

private:
    Context m_context;
    Callback m_callback;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QString m_tagStr;
    int m_tag = 0;
    int m_timeoutMs = DefaultTimeoutMs;
    bool m_delivered = false;
};
