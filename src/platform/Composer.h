#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

/// Hands things to the system's other programs: a mail or a text message to write, an address
/// to open in the browser.
class Composer : public QObject
{
    Q_OBJECT
public:
    /// How composing a message ended.
    enum class Result {
        Sent,       ///< the message was sent
        Cancelled,  ///< the user gave it up
        Failed,     ///< it could not be composed or sent
        HandedOver, ///< another program took it; whether it is sent is not known here
    };
    Q_ENUM(Result)

    explicit Composer(QObject *parent = nullptr) : QObject(parent) {}

    /// Whether a mail can be composed on this device.
    [[nodiscard]] virtual bool canSendMail() const = 0;
    /// Whether a text message can be composed on this device.
    [[nodiscard]] virtual bool canSendText() const = 0;
    /// Composes a mail with @p body as its plain-text body, to an address the user chooses;
    /// mailFinished() tells how it ended, always after this call has returned.
    virtual void sendMail(const QString &body) = 0;
    /// Composes a text message with @p body; textFinished() tells how it ended, always after this
    /// call has returned.
    virtual void sendText(const QString &body) = 0;
    /// Opens @p url in the system's program for it: web addresses ("http", "https") in the
    /// browser, "mailto" and "tel" addresses in the mail and telephone programs. Any other
    /// address is refused, since addresses come from the PC. Returns whether it was handed over.
    virtual bool openUrl(const QUrl &url) = 0;

    /// Whether openUrl() accepts @p url at all.
    [[nodiscard]] static bool isOpenable(const QUrl &url);

Q_SIGNALS:
    void mailFinished(Composer::Result result);
    void textFinished(Composer::Result result);
};
