#include "ShareTextStringActionSheet.h"

#include "DialogCenter.h"
#include "ToastCenter.h"

ShareTextStringActionSheet::ShareTextStringActionSheet(DialogCenter *dialogs, ToastCenter *toasts,
                                                       Composer *composer, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_toasts(toasts), m_composer(composer)
{
    if (composer) {
        connect(composer, &Composer::mailFinished, this, &ShareTextStringActionSheet::composed);
        connect(composer, &Composer::textFinished, this, &ShareTextStringActionSheet::composed);
    }
}

void ShareTextStringActionSheet::showShareTextStringActionSheet(const QString &text)
{
    m_dialogs->actionSheet(QString(), {tr("短信分享"), tr("邮件分享"), tr("取消")},
                           [this, text](int button) { share(button, text); });
}

void ShareTextStringActionSheet::share(int button, const QString &text)
{
    if (button == 0) {
        if (!m_composer || !m_composer->canSendText()) {
            m_toasts->showToast(tr("未配置iMessage账号，不能发信息"));
            Q_EMIT finished();
            return;
        }
        m_composing = true;
        m_composer->sendText(text);
        return;
    }
    if (button == 1) {
        if (!m_composer || !m_composer->canSendMail()) {
            m_toasts->showToast(tr("未配置邮件地址，不能发送邮件"));
            Q_EMIT finished();
            return;
        }
        m_composing = true;
        m_composer->sendMail(text);
        return;
    }
    Q_EMIT finished();
}

void ShareTextStringActionSheet::composed(Composer::Result result)
{
    // The composer is shared: only the composing this sheet started is answered.
    if (!m_composing)
        return;
    m_composing = false;
    if (result == Composer::Result::Sent)
        m_toasts->showToast(tr("发送成功"));
    else if (result == Composer::Result::Failed)
        m_toasts->showToast(tr("发送失败"));
    Q_EMIT finished();
}
