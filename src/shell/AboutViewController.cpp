#include "AboutViewController.h"

#include "Clipboard.h"
#include "DeviceInfoCenter.h"
#include "ToastCenter.h"

using namespace Qt::StringLiterals;

namespace {
// Where the copy messages stand and how long they stay.
constexpr double CopyOffset = -60;
constexpr double CopyDelay = 2.0;
} // namespace

AboutViewController::AboutViewController(Clipboard *clipboard, ToastCenter *toasts, QObject *parent)
    : ScreenController(parent), m_clipboard(clipboard), m_toasts(toasts),
      m_rows({{u"about_wifi.png"_s, tr("官网"), QString::fromUtf8(SiteHost)},
              {u"about_weixin.png"_s, tr("微信公众帐号"), QString::fromUtf8(WeixinAccount)},
              {u"about_weibo.png"_s, tr("官网微博帐号"), QString::fromUtf8(WeiboAccount)},
              {u"about_help.png"_s, tr("常见问题"), QString()},
              {u"about_service.png"_s, tr("用户使用协议"), QString()},
              {u"about_privacy.png"_s, tr("隐私保护说明书"), QString()}})
{
    setTitle(tr("关于"));
}

QString AboutViewController::versionText() const
{
    return u"V %1"_s.arg(DeviceInfoCenter::getAppVersion());
}

void AboutViewController::tableViewCellHighlighted(int row)
{
    switch (row) {
    case SiteRow:
        Q_EMIT openWebPage(QString::fromUtf8(ProductPage), QString(), true);
        break;
    case WeixinRow:
        copy(QString::fromUtf8(WeixinAccount), tr("微信公众帐号已复制到手机剪贴板"));
        break;
    case WeiboRow:
        copy(QString::fromUtf8(WeiboAccount), tr("官方微博帐号已复制到手机剪贴板"));
        break;
    case HelpRow:
        Q_EMIT openWebPage(u"qrc:/html/help.html"_s, QString(), false);
        break;
    case AgreementRow:
        Q_EMIT openWebPage(u"qrc:/html/agreement.html"_s, QString(), false);
        break;
    case PrivacyRow:
        Q_EMIT openWebPage(u"qrc:/html/privacy.html"_s, QString(), false);
        break;
    default:
        break;
    }
}

void AboutViewController::copy(const QString &text, const QString &message)
{
    if (!m_clipboard)
        return;
    m_clipboard->copyText(text);
    m_toasts->showToastAt(message, CopyOffset, CopyDelay);
}
