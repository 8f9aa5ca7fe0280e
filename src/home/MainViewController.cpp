#include "MainViewController.h"

#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

using namespace Qt::StringLiterals;

MainViewController::MainViewController(NotificationCenter *hub, RuntimeState *state,
                                       UserDefaults *defaults, ToastCenter *toasts, QObject *parent)
    : QObject(parent), m_hub(hub), m_state(state), m_defaults(defaults), m_toasts(toasts)
{
    m_hub->addObserver(this, Notifications::AppStatusChanged,
                       [this](const QVariantMap &) { Q_EMIT statusLooksChanged(); });
    m_hub->addObserver(this, Notifications::UploadFileSuccessed,
                       [this](const QVariantMap &) { m_toasts->showToast(tr("上传成功")); });
    m_hub->addObserver(this, Notifications::UploadFileAborted,
                       [this](const QVariantMap &) { m_toasts->showToast(tr("上传中断")); });
}

QString MainViewController::title() const
{
    return tr("我的快传");
}

QString MainViewController::shakeIcon() const
{
    const quint64 status = m_state->status();
    if (status & AppStatusAuthorized)
        return u"login_icon_shake.png"_s;
    if (status & AppStatusLoggedIn)
        return u"login_pc_unauth.png"_s;
    return u"main_icon_notconnected.png"_s;
}

bool MainViewController::shakeOnBlue() const
{
    return m_state->status() & (AppStatusAuthorized | AppStatusLoggedIn);
}

QString MainViewController::computerIcon() const
{
    return m_state->isAuthorized() ? u"main_mycomputer_login.png"_s : u"main_mycomputer.png"_s;
}

QString MainViewController::computerPressedIcon() const
{
    return m_state->isAuthorized() ? u"main_mycomputer_login_hl.png"_s : computerIcon();
}

QString MainViewController::remoteIcon() const
{
    return m_state->isAuthorized() ? u"main_remotecontrol_login.png"_s
                                   : u"main_remotecontrol.png"_s;
}

QString MainViewController::remotePressedIcon() const
{
    return m_state->isAuthorized() ? u"main_remotecontrol_login_hl.png"_s : remoteIcon();
}

QString MainViewController::shakeName() const
{
    return tr("快传");
}

QString MainViewController::computerName() const
{
    return tr("我的电脑");
}

QString MainViewController::remoteName() const
{
    return tr("遥控电脑");
}

void MainViewController::setSubScreenOpen(bool open)
{
    if (m_subScreenOpen == open)
        return;
    m_subScreenOpen = open;
    Q_EMIT subScreenOpenChanged();
}

void MainViewController::setFilterMenuOpen(bool open)
{
    if (m_filterMenuOpen == open)
        return;
    m_filterMenuOpen = open;
    Q_EMIT filterMenuOpenChanged();
}

void MainViewController::setEditing(bool editing)
{
    if (m_editing == editing)
        return;
    m_editing = editing;
    Q_EMIT editingChanged();
}

void MainViewController::viewDidLoad()
{
    if (auto *login = LoginAndAuthCenter::sharedInstance())
        login->startLogin();
}

void MainViewController::willEnterForeground()
{
    const auto ssid = DeviceInfoCenter::getCurrentSSID();
    if ((m_state->status() & AppStatusNotLoggedIn) && ssid && !ssid->isEmpty())
        viewDidLoad();
}

void MainViewController::motionBegan()
{
    m_hub->post(Notifications::DeviceShaked);
    if (m_filterMenuOpen) {
        setFilterMenuOpen(false);
        return;
    }
    if (m_editing) {
        setEditing(false);
        return;
    }
    if (m_subScreenOpen)
        return;
    if (!m_defaults->boolForKey(DefaultsKeys::IsNotFirstV2))
        return;
    Q_EMIT vibrate();
    if (m_state->isAuthorized())
        getQuickTransfer();
    else
        showNotAuthorizedToast();
}

void MainViewController::getQuickTransfer()
{
    if (auto *http = HttpRequestCenter::sharedInstance())
        http->getQuickTransfer();
    Q_EMIT openTransferPanel();
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatQuickTransferFetch);
}

void MainViewController::tappedQuickTransferButton()
{
    if (m_state->isAuthorized())
        getQuickTransfer();
    else
        Q_EMIT showLoginView();
}

void MainViewController::tappedMyComputerButton()
{
    if (!m_state->isAuthorized()) {
        showNotAuthorizedToast();
        return;
    }
    Q_EMIT openMyComputer();
    if (auto *http = HttpRequestCenter::sharedInstance())
        http->getDiskInfo();
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatOpenBrowser);
}

void MainViewController::tappedRemoteControlButton()
{
    if (!m_state->isAuthorized()) {
        showNotAuthorizedToast();
        return;
    }
    Q_EMIT openRemoteControl();
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatRemoteControl);
}

void MainViewController::showNotAuthorizedToast()
{
    const quint64 status = m_state->status();
    if (status & AppStatusNotLoggedIn)
        m_toasts->showToast(tr("您的手机还未连接上电脑~"));
    else if (status & AppStatusLoggedIn)
        m_toasts->showToast(tr("您不具备管理员权限，请申请~"));
}
