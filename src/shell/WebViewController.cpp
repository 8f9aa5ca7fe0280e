#include "WebViewController.h"

#include "Clipboard.h"
#include "Composer.h"
#include "DialogCenter.h"
#include "ToastCenter.h"

#include <QPointer>

using namespace Qt::StringLiterals;

WebViewController::WebViewController(const QString &address, const QString &title, bool showMore,
                                     DialogCenter *dialogs, ToastCenter *toasts,
                                     Clipboard *clipboard, Composer *composer, QObject *parent)
    : ScreenController(parent), m_dialogs(dialogs), m_toasts(toasts), m_clipboard(clipboard),
      m_composer(composer), m_address(address), m_ownTitle(title), m_url(resolve(address)),
      m_showMore(showMore)
{
    if (!m_url.isValid()) {
        m_failed = true;
        setTitle(tr("加载失败"));
        return;
    }
    setTitle(title.isEmpty() ? tr("加载中...") : title);
    m_loading = true;
}

QUrl WebViewController::resolve(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        url = QUrl::fromEncoded(QUrl::toPercentEncoding(trimmed, ":/?#[]@!$&'()*+,;=%~"));
    if (url.isValid() && url.scheme().isEmpty() && !trimmed.startsWith(u'/'))
        url = QUrl(u"http://"_s + QString::fromLatin1(url.toEncoded()));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (url.host().isEmpty() && scheme != u"qrc"_s))
        return {};
    if (scheme != u"http"_s && scheme != u"https"_s && scheme != u"qrc"_s)
        return {};
    return url;
}

QString WebViewController::failureText() const
{
    return tr("网页无法打开，请检查网络后返回重试");
}

QString WebViewController::moreName() const
{
    return tr("更多");
}

void WebViewController::loadStarted()
{
    m_failed = false;
    setLoading(true);
    Q_EMIT loadingChanged();
}

void WebViewController::loadFinished(bool succeeded, const QString &pageTitle)
{
    m_failed = !succeeded;
    setLoading(false);
    Q_EMIT loadingChanged();
    if (!succeeded)
        setTitle(tr("加载失败"));
    else if (!pageTitle.trimmed().isEmpty())
        setTitle(pageTitle.trimmed());
}

void WebViewController::pageTitleChanged(const QString &pageTitle)
{
    if (!m_loading && !m_failed && !pageTitle.trimmed().isEmpty())
        setTitle(pageTitle.trimmed());
}

void WebViewController::setCanGoBack(bool canGoBack)
{
    m_canGoBack = canGoBack;
}

int WebViewController::javaScriptDialogRequested(int kind, const QString &message,
                                                 const QString &defaultText)
{
    const int id = ++m_nextDialog;
    const QStringList buttons =
        kind == 0 ? QStringList{tr("确定")} : QStringList{tr("确定"), tr("取消")};
    QPointer<WebViewController> self(this);
    m_dialogs->alert(QString(), message, buttons, [self, id, defaultText](int index) {
        if (self)
            Q_EMIT self->javaScriptDialogAnswered(id, index == 0, defaultText);
    });
    return id;
}

void WebViewController::tappedMoreButton()
{
    QPointer<WebViewController> self(this);
    m_dialogs->actionSheet(QString(), {tr("在浏览器中打开"), tr("复制链接"), tr("取消")},
                           [self](int index) {
                               if (!self)
                                   return;
                               if (index == 0 && self->m_composer && self->m_url.isValid())
                                   self->m_composer->openUrl(self->m_url);
                               else if (index == 1 && self->m_clipboard) {
                                   self->m_clipboard->copyText(self->m_address);
                                   self->m_toasts->showToast(tr("链接已复制到手机剪贴板"));
                               }
                           });
}

void WebViewController::back()
{
    if (m_canGoBack && !isClosing()) {
        Q_EMIT goBackRequested();
        return;
    }
    setLoading(false);
    ScreenController::back();
}

void WebViewController::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    Q_EMIT loadingChanged();
}
