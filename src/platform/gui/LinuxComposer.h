#pragma once

#include "Composer.h"

/// Composing on a Linux desktop. A mail goes to the desktop's mail program as a "mailto" address
/// carrying the body; which program that is, is the desktop's business, so a mail can always be
/// offered and is reported failed when the desktop cannot hand it over. Desktops have no text
/// message program.
class LinuxComposer : public Composer
{
    Q_OBJECT
public:
    explicit LinuxComposer(QObject *parent = nullptr) : Composer(parent) {}

    [[nodiscard]] bool canSendMail() const override { return true; }
    [[nodiscard]] bool canSendText() const override { return false; }
    void sendMail(const QString &body) override;
    void sendText(const QString &body) override;
    bool openUrl(const QUrl &url) override;

    /// The "mailto" address that opens a new mail with @p body: no recipient, the body with CRLF
    /// line breaks and percent-encoded entirely, so that no character of it ends the field.
    [[nodiscard]] static QUrl mailUrl(const QString &body);
};
