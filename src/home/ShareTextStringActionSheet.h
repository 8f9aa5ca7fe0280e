#pragma once

#include "Composer.h"

#include <QObject>
#include <QPointer>
#include <QString>

class DialogCenter;
class ToastCenter;

/// The sheet that shares a received text or link as a text message or a mail ("短信分享",
/// "邮件分享", "取消"), through the platform's composer, with a toast for what came of it.
class ShareTextStringActionSheet : public QObject
{
    Q_OBJECT
public:
    /// Messages are written with @p composer (none: neither can be sent).
    ShareTextStringActionSheet(DialogCenter *dialogs, ToastCenter *toasts, Composer *composer,
                               QObject *parent = nullptr);

    /// Shows the sheet for @p text.
    void showShareTextStringActionSheet(const QString &text);

Q_SIGNALS:
    /// The sheet and any composing it started have ended: the main screen takes the shake
    /// gesture again.
    void finished();

private:
    void share(int button, const QString &text);
    void composed(Composer::Result result);

    DialogCenter *m_dialogs;
    ToastCenter *m_toasts;
    QPointer<Composer> m_composer;
    bool m_composing = false;
};
