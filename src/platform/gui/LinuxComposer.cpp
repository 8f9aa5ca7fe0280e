#include "LinuxComposer.h"

#include <QDesktopServices>
#include <QTimer>

using namespace Qt::StringLiterals;

QUrl LinuxComposer::mailUrl(const QString &body)
{
    QString text = body;
    text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    QUrl url;
    url.setScheme(u"mailto"_s);
    url.setQuery(u"body="_s + QString::fromLatin1(QUrl::toPercentEncoding(text)), QUrl::StrictMode);
    return url;
}

void LinuxComposer::sendMail(const QString &body)
{
    const Result result =
        QDesktopServices::openUrl(mailUrl(body)) ? Result::HandedOver : Result::Failed;
    QTimer::singleShot(0, this, [this, result] { Q_EMIT mailFinished(result); });
}

void LinuxComposer::sendText(const QString &)
{
    QTimer::singleShot(0, this, [this] { Q_EMIT textFinished(Result::Failed); });
}

bool LinuxComposer::openUrl(const QUrl &url)
{
    return isOpenable(url) && QDesktopServices::openUrl(url);
}
