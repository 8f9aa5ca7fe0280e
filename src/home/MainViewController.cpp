#include "MainViewController.h"

#include "DataBaseCenter.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "DialogCenter.h"
#include "HttpRequestCenter.h"
#include "LocalFiles.h"
#include "LoginAndAuthCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferRowText.h"
#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct FilterEntry
{
    const char *label;
    const char *icon;
    const char *title;
};

// The filter menu, in the order of MainViewController::FilterTypes.
constexpr FilterEntry kFilterEntries[] = {
    {QT_TRANSLATE_NOOP("MainViewController", "全部"), "main_popover_all.png",
     QT_TRANSLATE_NOOP("MainViewController", "我的快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "图片"), "main_popover_image.png",
     QT_TRANSLATE_NOOP("MainViewController", "图片快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "音乐"), "main_popover_music.png",
     QT_TRANSLATE_NOOP("MainViewController", "音乐快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "网页"), "main_popover_url.png",
     QT_TRANSLATE_NOOP("MainViewController", "链接快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "视频"), "main_popover_video.png",
     QT_TRANSLATE_NOOP("MainViewController", "视频快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "文件"), "main_popover_doc.png",
     QT_TRANSLATE_NOOP("MainViewController", "文档快传")},
    {QT_TRANSLATE_NOOP("MainViewController", "文本"), "main_popover_text.png",
     QT_TRANSLATE_NOOP("MainViewController", "文本快传")},
};

// The pictures of the list are capped to the screen's pixel area.
QSize screenPixels()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->size() * screen->devicePixelRatio();
    return {750, 1334};
}

} // namespace

MainViewController::MainViewController(NotificationCenter *hub, RuntimeState *state,
                                       UserDefaults *defaults, ToastCenter *toasts,
                                       DialogCenter *dialogs, const QString &libraryPath,
                                       QObject *parent)
    : QObject(parent), m_hub(hub), m_state(state), m_defaults(defaults), m_toasts(toasts),
      m_dialogs(dialogs), m_libraryPath(libraryPath),
      m_loader(std::make_unique<SaveMemoryImageLoader>(screenPixels(), *state, libraryPath)),
      m_model(hub, m_loader.get())
{
    connect(&m_model, &QuickTransferListModel::recordRowCountChanged, this,
            &MainViewController::emptyChanged);
    m_hub->addObserver(this, Notifications::RefreshQuickTransferList,
                       [this](const QVariantMap &) { loadQuickTransferList(); });
    m_hub->addObserver(this, Notifications::AppStatusChanged,
                       [this](const QVariantMap &) { Q_EMIT statusLooksChanged(); });
    m_hub->addObserver(this, Notifications::UploadFileSuccessed,
                       [this](const QVariantMap &) { m_toasts->showToast(tr("上传成功")); });
    m_hub->addObserver(this, Notifications::UploadFileAborted,
                       [this](const QVariantMap &) { m_toasts->showToast(tr("上传中断")); });
}

MainViewController::~MainViewController()
{
    // Picture loads still running use the loader and the runtime state: let them end first.
    SaveMemoryImageLoader::pool()->waitForDone();
}

QString MainViewController::title() const
{
    return tr(kFilterEntries[filterIndex()].title);
}

QVariantList MainViewController::filterEntries() const
{
    QVariantList entries;
    for (int i = 0; i < int(std::size(kFilterEntries)); ++i)
        entries << QVariantMap{{u"label"_s, tr(kFilterEntries[i].label)},
                               {u"icon"_s, QString::fromLatin1(kFilterEntries[i].icon)},
                               {u"type"_s, FilterTypes[i]},
                               {u"title"_s, tr(kFilterEntries[i].title)}};
    return entries;
}

int MainViewController::filterIndex() const
{
    for (int i = 0; i < int(std::size(FilterTypes)); ++i)
        if (FilterTypes[i] == m_filterType)
            return i;
    return 0;
}

QString MainViewController::emptyImage() const
{
    if (m_filterType == QuickTransferTypeLink)
        return u"qt_no_quicktransfer1.png"_s;
    if (m_filterType == QuickTransferTypeText)
        return u"qt_no_quicktransfer2.png"_s;
    return u"qt_no_quicktransfer0.png"_s;
}

QString MainViewController::editTitle() const
{
    return m_editing ? tr("取 消") : tr("编 辑");
}

QString MainViewController::selectAllIcon() const
{
    const int rows = m_model.recordRowCount();
    return rows > 0 && m_model.selectedCount() == rows ? u"qt_icon_all_selected.png"_s
                                                       : u"qt_icon_all_unselected.png"_s;
}

QString MainViewController::selectedText() const
{
    return tr("已选 %1 项").arg(m_model.selectedCount());
}

void MainViewController::setFirstVisibleRow(int row)
{
    if (m_firstVisibleRow == row)
        return;
    m_firstVisibleRow = row;
    Q_EMIT firstVisibleRowChanged();
}

void MainViewController::loadQuickTransferList()
{
    // The first read hands the newest records first: they make the first screenful of rows.
    readHistory(m_loaded ? 0 : FirstPage);
}

void MainViewController::readHistory(int newest)
{
    const quint64 serial = ++m_readSerial;
    DataBaseCenter *store = DataBaseCenter::sharedInstance();
    if (!store) {
        showRecords({});
        return;
    }
    store->readQuickTransfer(
        this,
        [this, serial](const DataBaseCenter::History &history) {
            // A later read is on its way, or a deletion or direct refresh has been shown since.
            if (serial != m_readSerial)
                return;
            showRecords(history.records);
            if (!history.complete)
                QTimer::singleShot(RestOfHistoryDelayMs, this, [this, serial] {
                    if (serial == m_readSerial)
                        readHistory(0);
                });
        },
        newest);
}

void MainViewController::refreshQuickTransferList()
{
    ++m_readSerial;
    DataBaseCenter *store = DataBaseCenter::sharedInstance();
    // A store that could not be opened lists nothing.
    showRecords(store && store->isOpen() ? store->getQuickTransfer()
                                         : QList<QuickTransferObjectPtr>());
}

void MainViewController::showRecords(const QList<QuickTransferObjectPtr> &records)
{
    m_records = records;
    m_model.setRecords(m_records, m_filterType);
    if (m_editing && isEmpty())
        setEditing(false);
    Q_EMIT selectionChanged();
    if (!m_loaded) {
        m_loaded = true;
        Q_EMIT loadedChanged();
    }
}

void MainViewController::setFilterType(quint64 type)
{
    if (type == m_filterType)
        return;
    const quint64 previous = m_filterType;
    if (previous == 0)
        m_rememberedRow = m_firstVisibleRow;
    m_filterType = type;
    Q_EMIT titleChanged();
    // The history held is current: every change of the store asks for a new read.
    if (m_loaded)
        showRecords(m_records);
    if (type != 0) {
        Q_EMIT scrollToRow(0);
    } else if (m_rememberedRow >= 0 && m_rememberedRow < m_model.recordRowCount()) {
        Q_EMIT scrollToRow(m_rememberedRow);
    }
}

void MainViewController::chooseFilter(int index)
{
    setFilterMenuOpen(false);
    if (index >= 0 && index < int(std::size(FilterTypes)))
        setFilterType(FilterTypes[index]);
}

void MainViewController::showAllQuickTransferWithoutFilter()
{
    setFilterType(0);
}

void MainViewController::edit()
{
    // The edit button is gone while the list is empty.
    if (!m_editing && isEmpty())
        return;
    setEditing(!m_editing);
}

void MainViewController::selectAll()
{
    const int rows = m_model.recordRowCount();
    m_model.setAllSelected(m_model.selectedCount() != rows);
    Q_EMIT selectionChanged();
}

void MainViewController::toggleSelection(int row)
{
    if (row < 0 || row >= m_model.recordRowCount())
        return;
    m_model.setSelected(row, !m_model.isSelected(row));
    Q_EMIT selectionChanged();
}

void MainViewController::deleteSelected()
{
    const QList<int> rows = m_model.selectedRows();
    if (rows.isEmpty()) {
        m_dialogs->alert(QString(), tr("您还没有选中任何记录"), {tr("确定")});
        return;
    }
    m_dialogs->alert(
        QString(), tr("您确定要删除已选的%1条记录吗").arg(rows.size()), {tr("取消"), tr("删除")},
        [this, rows](int button) {
            if (button == 1)
                deleteRows(rows);
        },
        1);
}

void MainViewController::deleteRows(const QList<int> &rows)
{
    QList<quint64> ids;
    QVariantList idTexts;
    for (int row : rows)
        for (const QuickTransferObjectPtr &record : m_model.groupAt(row)) {
            ids << record->identifier;
            idTexts << QString::number(record->identifier);
        }
    DataBaseCenter *store = DataBaseCenter::sharedInstance();
    bool deleted = false;
    if (store)
        store->deleteRecordsAndUnreferencedFiles(ids, &deleted);
    setEditing(false);
    if (!deleted) {
        m_toasts->showToast(tr("删除失败"));
        return;
    }
    // The rows go at once; the read asked after them brings anything stored meanwhile, and a
    // read that began before the deletion is no longer shown.
    const QSet<quint64> gone(ids.cbegin(), ids.cend());
    QList<QuickTransferObjectPtr> left;
    left.reserve(m_records.size());
    for (const QuickTransferObjectPtr &record : std::as_const(m_records))
        if (!gone.contains(record->identifier))
            left << record;
    showRecords(left);
    loadQuickTransferList();
    m_hub->post(Notifications::CancelDownloadFile, {{u"idArray"_s, idTexts}});
    m_toasts->showToast(tr("删除成功"));
}

QString MainViewController::completeLocalFile(const QuickTransferObject &record) const
{
    if (record.finishedSize < record.size)
        return {};
    const QString path = record.downloadPath(m_libraryPath);
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void MainViewController::tappedRowContent(int row)
{
    if (row < 0 || row >= m_model.recordRowCount())
        return;
    if (m_editing) {
        toggleSelection(row);
        return;
    }
    const QList<QuickTransferObjectPtr> group = m_model.groupAt(row);
    const QuickTransferObjectPtr head = group.last();
    if (m_model.kindAt(row) == QuickTransferListModel::Kind::ImageGroup) {
        Q_EMIT openPictureViewer(group, 0);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatShowImage);
        return;
    }
    switch (head->type) {
    case QuickTransferTypeLink:
        Q_EMIT openWebPage(QUrl(head->url), true);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatOpenLink);
        break;
    case QuickTransferTypeText:
        if (head->dt.isEmpty())
            return;
        Q_EMIT openText(head->dt);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatOpenText);
        break;
    case QuickTransferTypeVideo:
    case QuickTransferTypeMusic: {
        // A copy that is missing on the phone is streamed from the PC like an incomplete one.
        const QString local = completeLocalFile(*head);
        const QUrl url = !local.isEmpty()  ? QUrl::fromLocalFile(local)
                         : head->from == 1 ? LocalFiles::getCSMFileUrlByPcPath(head->path)
                                           : LocalFiles::getDownloadFileUrlByPcPath(head->path);
        const bool video = head->type == QuickTransferTypeVideo;
        Q_EMIT playMedia(url, QuickTransferRowText::lastPathComponent(head->path), video);
        DeviceInfoCenter::increaseStatisticsByKey(video ? DeviceInfoCenter::StatPlayVideo
                                                        : DeviceInfoCenter::StatPlayMusic);
        break;
    }
    case QuickTransferTypeImage:
        Q_EMIT openPictureViewer({head}, 0);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatShowImage);
        break;
    case QuickTransferTypeFolder:
        break;
    default: {
        const QString local = completeLocalFile(*head);
        if (local.isEmpty())
            m_toasts->showToast(tr("文件下载完毕才能预览"));
        else
            Q_EMIT previewFile(head, local);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatOpenDocument);
        break;
    }
    }
}

void MainViewController::tappedRowIcon(int row)
{
    if (row < 0 || row >= m_model.recordRowCount())
        return;
    if (m_editing)
        toggleSelection(row);
    else
        setFilterType(m_model.filterTypeAt(row));
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

void MainViewController::startFallDownSendButton(double duration)
{
    constexpr int GraceMs = 500;
    m_fallTimer.setSingleShot(true);
    connect(&m_fallTimer, &QTimer::timeout, this, &MainViewController::endFallDownSendButton,
            Qt::UniqueConnection);
    m_fallTimer.start(int(qBound(0.0, duration, 10.0) * 1000) + GraceMs);
    if (m_sendButtonFalling)
        return;
    m_sendButtonFalling = true;
    Q_EMIT sendButtonFallingChanged();
}

void MainViewController::endFallDownSendButton()
{
    m_fallTimer.stop();
    if (!m_sendButtonFalling)
        return;
    m_sendButtonFalling = false;
    Q_EMIT sendButtonFallingChanged();
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
    if (!editing) {
        m_model.setAllSelected(false);
        Q_EMIT selectionChanged();
    }
    Q_EMIT editingChanged();
}

void MainViewController::viewDidLoad()
{
    // The shell asks for the history as soon as the store exists, so that it is read while the
    // window loads; a screen made without the shell asks now.
    if (m_readSerial == 0)
        loadQuickTransferList();
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
