#include "FeedbackViewController.h"

#include "DefaultsKeys.h"
#include "HttpRequestCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

using namespace Qt::StringLiterals;

namespace {
// Where this screen's messages stand: a little above the window's centre.
constexpr double MessageOffset = -20;
// The loading view's green look.
constexpr int LoadingGreen = 1;
} // namespace

FeedbackViewController::FeedbackViewController(NotificationCenter *hub, UserDefaults *defaults,
                                               HttpRequestCenter *http, ToastCenter *toasts,
                                               QObject *parent)
    : ScreenController(parent), m_defaults(defaults), m_http(http), m_toasts(toasts)
{
    setTitle(tr("反馈"));
    hub->addObserver(this, Notifications::SubmitFeedbackFinished,
                     [this](const QVariantMap &info) { submitFeedbackFinished(info); });
}

QString FeedbackViewController::hint() const
{
    return tr("我们会认真阅读您的反馈,以更好地提升产品体验.欢迎加入ZephyrWiFi用户交流群，"
              "与我们一起把产品做得更好。");
}

QString FeedbackViewController::contactHint() const
{
    return tr("QQ、邮箱或手机号（选填）");
}

QString FeedbackViewController::submitTitle() const
{
    return tr("提 交");
}

void FeedbackViewController::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    Q_EMIT textChanged();
}

void FeedbackViewController::setContact(const QString &contact)
{
    if (m_contact == contact)
        return;
    m_contact = contact;
    Q_EMIT contactChanged();
}

bool FeedbackViewController::isEmptyText(const QString &text) const
{
    if (text == hint())
        return true;
    for (const QChar c : text)
        if (c != u' ' && c != u'\n' && c != u'\r')
            return false;
    return true;
}

bool FeedbackViewController::isSubmitEnabled() const
{
    return !isEmptyText(m_text);
}

void FeedbackViewController::viewWillAppear()
{
    const QString content = m_defaults->stringForKey(DefaultsKeys::FeedbackContent);
    if (content.size() >= 2 && content != hint())
        setText(content);
    const QString contact = m_defaults->stringForKey(DefaultsKeys::FeedbackContact);
    if (contact.size() >= 2)
        setContact(contact);
}

void FeedbackViewController::viewWillDisappear()
{
    const bool empty = m_text.isEmpty() || m_text == hint();
    m_defaults->setValue(DefaultsKeys::FeedbackContent, empty ? QString() : m_text);
    m_defaults->setValue(DefaultsKeys::FeedbackContact, m_contact);
    m_defaults->synchronize();
}

void FeedbackViewController::feedback()
{
    Q_EMIT dismissKeyboard();
    if (m_sending)
        return;
    if (isEmptyText(m_text)) {
        m_toasts->showToastAt(tr("请输入反馈内容"), MessageOffset);
        return;
    }
    m_sending = true;
    Q_EMIT sendingChanged();
    m_toasts->showLoading(LoadingGreen);
    if (m_http)
        m_http->submitFeedbackText(m_text, m_contact);
}

void FeedbackViewController::submitFeedbackFinished(const QVariantMap &userInfo)
{
    // Only the answer to this screen's own submission is news here.
    if (!m_sending)
        return;
    m_sending = false;
    Q_EMIT sendingChanged();
    m_toasts->hideLoading();
    if (userInfo.value(u"isSuccess"_s).toBool()) {
        setText(QString());
        back();
    }
    const QString message = userInfo.value(u"message"_s).toString();
    if (!message.isEmpty())
        m_toasts->showToastAt(message, MessageOffset);
}

void FeedbackViewController::back()
{
    if (isClosing())
        return;
    viewWillDisappear();
    ScreenController::back();
}
