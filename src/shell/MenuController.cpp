#include "MenuController.h"

#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "NavigationController.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

using namespace Qt::StringLiterals;

MenuController::MenuController(NotificationCenter *hub, RuntimeState *state, UserDefaults *defaults,
                               NavigationController *navigation, ToastCenter *toasts,
                               QObject *parent)
    : QAbstractListModel(parent), m_hub(hub), m_state(state), m_defaults(defaults),
      m_navigation(navigation), m_toasts(toasts)
{
    m_hub->addObserver(this, Notifications::SsidChanged,
                       [this](const QVariantMap &) { Q_EMIT headerChanged(); });
    m_hub->addObserver(this, Notifications::AppStatusChanged,
                       [this](const QVariantMap &) { Q_EMIT headerChanged(); });
    m_hub->addObserver(this, Notifications::ClientCountChanged, [this](const QVariantMap &) {
        beginResetModel();
        endResetModel();
    });
    m_hub->addObserver(this, Notifications::UploadActionSheetCanceled,
                       [this](const QVariantMap &) { unhighlightedAllCells(); });
    connect(m_state, &RuntimeState::lastSsidChanged, this, &MenuController::headerChanged);
    // The menu goes out of sight when the main screen closes over it.
    connect(m_navigation, &NavigationController::isLastStateRightChanged, this, [this] {
        if (!m_navigation->isLastStateRight())
            unhighlightedAllCells();
    });
}

int MenuController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount;
}

QVariant MenuController::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= RowCount)
        return {};
    static const char *const icons[] = {"menu_wifi.png", "menu_upload.png", "menu_feedback.png",
                                        "menu_about.png", "menu_introduce.png"};
    const int row = index.row();
    switch (role) {
    case IconRole:
        return QString::fromLatin1(icons[row]);
    case TitleRole:
    case Qt::DisplayRole:
        switch (row) {
        case ClientsRow:
            return tr("连接管理");
        case UploadRow:
            return tr("上传文件到电脑");
        case FeedbackRow:
            return tr("反馈");
        case AboutRow:
            return tr("关于");
        default:
            return tr("快传说明");
        }
    case ExtraRole:
        return row == ClientsRow ? QString::number(m_state->clientCount()) : QString();
    case MarkRole:
        return row == IntroduceRow && !m_defaults->boolForKey(DefaultsKeys::IntroductOpened);
    case HighlightedRole:
        return row == m_highlighted;
    default:
        return {};
    }
}

QHash<int, QByteArray> MenuController::roleNames() const
{
    return {{IconRole, "iconName"},
            {TitleRole, "title"},
            {ExtraRole, "extra"},
            {MarkRole, "mark"},
            {HighlightedRole, "rowHighlighted"}};
}

QString MenuController::wifiText() const
{
    const auto ssid = DeviceInfoCenter::getCurrentSSID();
    return ssid && !ssid->isEmpty() ? *ssid : tr("未连接");
}

QString MenuController::pcIcon() const
{
    const quint64 status = m_state->status();
    if (status & AppStatusNotLoggedIn)
        return u"menu_icon_disconnect.png"_s;
    if (status & AppStatusAuthorized)
        return u"menu_icon_auth.png"_s;
    if (status & AppStatusLoggedIn)
        return u"menu_icon_connect.png"_s;
    return u"menu_icon_disconnect.png"_s;
}

bool MenuController::pcOnBlue() const
{
    const quint64 status = m_state->status();
    return !(status & AppStatusNotLoggedIn) && (status & (AppStatusLoggedIn | AppStatusAuthorized));
}

QString MenuController::versionText() const
{
    return u"V %1"_s.arg(DeviceInfoCenter::getAppVersion());
}

void MenuController::tableViewCellHighlighted(int row)
{
    if (row < 0 || row >= RowCount)
        return;
    const int previous = std::exchange(m_highlighted, row);
    if (previous >= 0)
        reloadRow(previous);
    reloadRow(row);
    const bool authorized = m_state->status() & AppStatusAuthorized;
    switch (row) {
    case ClientsRow:
        if (authorized) {
            Q_EMIT openClientList();
            return;
        }
        m_highlighted = -1;
        reloadRow(row);
        m_navigation->moveToMiddle();
        Q_EMIT showLoginView();
        return;
    case UploadRow:
        if (authorized) {
            Q_EMIT showUploadActionSheet(m_state->desktopFile());
            DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatUploadPhotos);
            return;
        }
        m_highlighted = -1;
        reloadRow(row);
        m_navigation->moveToMiddle();
        Q_EMIT showLoginView();
        m_toasts->showToast(tr("请申请管理员权限"));
        return;
    case FeedbackRow:
        Q_EMIT openFeedback();
        return;
    case AboutRow:
        Q_EMIT openAbout();
        return;
    case IntroduceRow:
        Q_EMIT openIntroduce();
        m_defaults->setValue(DefaultsKeys::IntroductOpened, true);
        m_defaults->synchronize();
        reloadRow(row);
        return;
    default:
        return;
    }
}

void MenuController::unhighlightedAllCells()
{
    const int previous = std::exchange(m_highlighted, -1);
    if (previous >= 0)
        reloadRow(previous);
}

void MenuController::reloadRow(int row)
{
    const QModelIndex i = index(row);
    Q_EMIT dataChanged(i, i);
}
