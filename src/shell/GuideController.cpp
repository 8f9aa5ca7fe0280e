#include "GuideController.h"

#include "AppCore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

GuideController::GuideController(QObject *parent) : QObject(parent) {}

QString GuideController::checkImage() const
{
    return m_checked ? u"guide_check_selected.png"_s : u"guide_check.png"_s;
}

QString GuideController::text() const
{
    return u"照片 / 视频 / 音乐 / 网页 / 文本 / 文件...\n\n只需一步摇进手机"_s;
}

QString GuideController::startTitle() const
{
    return u"立即体验"_s;
}

QString GuideController::agreeWord() const
{
    return u"同意"_s;
}

QString GuideController::agreementTitle() const
{
    return u"《ZephyrWiFi快传用户协议》"_s;
}

QString GuideController::checkName() const
{
    return tr("同意用户协议");
}

void GuideController::setPage(int page)
{
    page = std::clamp(page, 0, pageCount() - 1);
    if (m_page == page)
        return;
    m_page = page;
    Q_EMIT pageChanged();
}

void GuideController::show()
{
    if (m_visible)
        return;
    m_visible = true;
    Q_EMIT visibleChanged();
}

void GuideController::tappedCheckButton()
{
    m_checked = !m_checked;
    Q_EMIT checkedChanged();
}

bool GuideController::tappedStartButton()
{
    if (!m_visible || !m_checked || m_dismissing)
        return false;
    m_dismissing = true;
    Q_EMIT dismissRequested();
    return true;
}

void GuideController::finishDismiss()
{
    if (!m_dismissing)
        return;
    m_dismissing = false;
    m_visible = false;
    if (AppCore *core = AppCore::current())
        core->completeFirstLaunchGuide();
    Q_EMIT visibleChanged();
}

QString GuideController::agreementResource() const
{
    return u"qrc:/html/agreement.html"_s;
}

void GuideController::tappedShowUserAgreementButton()
{
    Q_EMIT showAgreementRequested(agreementResource());
}
