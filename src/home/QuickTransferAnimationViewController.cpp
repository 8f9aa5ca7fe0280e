#include "QuickTransferAnimationViewController.h"

#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "LocalFiles.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferArrival.h"
#include "QuickTransferListModel.h"
#include "QuickTransferRowText.h"
#include "RuntimeState.h"
#include "ToastCenter.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
constexpr quint64 kHoldBackSize = 0x500000;
constexpr int kPanelMs = 500;
constexpr int kPlaneMs = 1000;
constexpr int kCheckDelayMs = 1000;
constexpr int kPlaneFrameCount = 12;
constexpr int kFireFrameCount = 3;

QuickTransferObjectPtr recordIn(const QVariantMap &info)
{
    return info.value(u"object"_s).value<QuickTransferObjectPtr>();
}

bool isLargeOffer(const QuickTransferObject &record)
{
    return (record.type == QuickTransferTypeMusic || record.type == QuickTransferTypeVideo ||
            record.type == QuickTransferTypeDocument) &&
           record.size > kHoldBackSize;
}
} // namespace

QuickTransferAnimationViewController::QuickTransferAnimationViewController(NotificationCenter *hub,
                                                                           RuntimeState *state,
                                                                           ToastCenter *toasts,
                                                                           QString libraryPath,
                                                                           QObject *parent)
    : ScreenController(parent), m_hub(hub), m_state(state), m_toasts(toasts),
      m_libraryPath(std::move(libraryPath))
{
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this,
            &QuickTransferAnimationViewController::waitLimitReached);

    m_hub->addObserver(this, Notifications::GetNewQuickTransfer,
                       [this](const QVariantMap &info) { getNewQuickTransfer(info); });
    m_hub->addObserver(this, Notifications::GetQuickTransferFailed,
                       [this](const QVariantMap &info) {
                           getQuickTransferFailed(info.value(u"isUnknown"_s).toBool());
                       });
    m_hub->addObserver(this, Notifications::DeviceShaked,
                       [this](const QVariantMap &) { deviceShaked(); });
    m_hub->addObserver(this, Notifications::GetScreenshotFinished,
                       [this](const QVariantMap &info) { getScreenshotFinished(info); });
    m_hub->addObserver(this, Notifications::DownloadFileFinished,
                       [this](const QVariantMap &info) { downloadFileFinished(info); });
    m_hub->addObserver(this, Notifications::DownloadFileFailed,
                       [this](const QVariantMap &info) { downloadFileFailed(info); });
    m_hub->addObserver(this, Notifications::DownloadFileReceivedData,
                       [this](const QVariantMap &info) { downloadReceivedData(info); });
    m_hub->addObserver(this, Notifications::AppStatusChanged,
                       [this](const QVariantMap &) { statusChanged(); });
    connect(m_state, &RuntimeState::pcNameChanged, this,
            &QuickTransferAnimationViewController::resultChanged);

    // The fetch has been sent: its answer is awaited from now on.
    restartWaitLimit();
}

QuickTransferAnimationViewController::~QuickTransferAnimationViewController()
{
    if (m_isSharing)
        m_toasts->hideProgress();
}

QStringList QuickTransferAnimationViewController::planeFrames() const
{
    QStringList frames;
    for (int i = 0; i < kPlaneFrameCount; ++i)
        frames << u"main_qt_airplane%1.png"_s.arg(i);
    return frames;
}

QStringList QuickTransferAnimationViewController::fireFrames() const
{
    QStringList frames;
    for (int i = 0; i < kFireFrameCount; ++i)
        frames << u"main_qt_fire%1.png"_s.arg(i);
    return frames;
}

QString QuickTransferAnimationViewController::pcImage() const
{
    return u"main_qt_pc.png"_s;
}

QString QuickTransferAnimationViewController::failedImage() const
{
    return u"main_qt_failed.png"_s;
}

QString QuickTransferAnimationViewController::waitingText() const
{
    return tr("正在快传到手机");
}

QString QuickTransferAnimationViewController::failureText() const
{
    return tr("抱歉，没能抓到电脑屏幕上的内容~");
}

QString QuickTransferAnimationViewController::unknownText() const
{
    return tr("当前只能摇到电脑桌面截屏哟~\n更多惊喜请选择一个文件或打开网页摇一摇试试吧");
}

QString QuickTransferAnimationViewController::fromText() const
{
    const QString name = m_state->pcName().isEmpty() ? m_state->lastSsidText() : m_state->pcName();
    return tr("来自：%1的电脑").arg(name);
}

QString QuickTransferAnimationViewController::leftTitle() const
{
    return tr("立即播放");
}

QString QuickTransferAnimationViewController::rightTitle() const
{
    return tr("下载到手机");
}

QString QuickTransferAnimationViewController::retryTitle() const
{
    return tr("重试");
}

QString QuickTransferAnimationViewController::shareTitle() const
{
    return tr("分享");
}

QString QuickTransferAnimationViewController::successTitle() const
{
    return tr("完成");
}

QString QuickTransferAnimationViewController::closeTitle() const
{
    return tr("关闭");
}

QString QuickTransferAnimationViewController::contentName() const
{
    switch (m_kind) {
    case TextKind:
        return tr("打开文本");
    case LinkKind:
        return tr("打开网页");
    case FolderKind:
        return tr("打开文件夹");
    case ImageKind:
        return tr("查看图片");
    case DocumentKind:
        return tr("预览文档");
    default:
        return m_contentTitle;
    }
}

void QuickTransferAnimationViewController::setStage(Stage stage)
{
    if (m_stage == stage)
        return;
    m_stage = stage;
    Q_EMIT stageChanged();
}

void QuickTransferAnimationViewController::setCovered(bool covered)
{
    if (m_isSelfViewConvered == covered)
        return;
    m_isSelfViewConvered = covered;
    Q_EMIT coveredChanged();
}

void QuickTransferAnimationViewController::showInView()
{
    if (m_shown)
        return;
    m_shown = true;
    setStage(Opening);
    m_stepTimer.disconnect();
    connect(&m_stepTimer, &QTimer::timeout, this, [this] {
        setStage(Flying);
        m_stepTimer.disconnect();
        connect(&m_stepTimer, &QTimer::timeout, this,
                &QuickTransferAnimationViewController::makeAirplaneFinished);
        m_stepTimer.start(kPlaneMs);
    });
    m_stepTimer.start(kPanelMs);
}

void QuickTransferAnimationViewController::makeAirplaneFinished()
{
    setStage(Waiting);
    m_stepTimer.disconnect();
    connect(&m_stepTimer, &QTimer::timeout, this,
            &QuickTransferAnimationViewController::checkIsGetQuickTransferFinished);
    m_stepTimer.start(kCheckDelayMs);
}

void QuickTransferAnimationViewController::checkIsGetQuickTransferFinished()
{
    m_airplaneStatus = 1;
    m_isCanRetry = true;
    Q_EMIT stageChanged();
    if (m_record && m_record->type == QuickTransferTypeImage) {
        if (m_isDownloadFileSuccessed)
            showQuickTransfer();
        else if (m_isDownloadFileFailed)
            showGetQuickTransferFailed();
    } else if (m_record) {
        showQuickTransfer();
    } else if (m_isGetQuickTransferFailed) {
        showGetQuickTransferFailed();
    }
}

void QuickTransferAnimationViewController::showQuickTransfer()
{
    if (!m_record || m_stage == Result || m_stage == Unknown)
        return;
    m_hub->post(Notifications::RefreshQuickTransferList);
    const auto &r = *m_record;
    m_kind = NoKind;
    m_contentIcon.clear();
    m_contentTitle.clear();
    m_contentDetail.clear();
    m_pictureSource.clear();
    m_shareVisible = m_successVisible = m_leftRightVisible = m_bottomVisible = false;
    m_bottomTitle.clear();
    const bool large = r.size >= kHoldBackSize;
    switch (r.type) {
    case QuickTransferTypeText:
        m_kind = TextKind;
        m_contentTitle = r.dt;
        m_shareVisible = m_successVisible = true;
        break;
    case QuickTransferTypeLink:
        m_kind = LinkKind;
        m_contentIcon = u"main_qt_icon_url.png"_s;
        m_contentTitle = QuickTransferRowText::titleOf(r);
        m_contentDetail = r.url;
        m_shareVisible = m_successVisible = true;
        break;
    case QuickTransferTypeMusic:
    case QuickTransferTypeVideo:
        m_kind = MediaKind;
        m_contentIcon = r.type == QuickTransferTypeMusic ? u"qt_music.png"_s : u"qt_video.png"_s;
        m_contentTitle = QuickTransferRowText::titleOf(r);
        m_contentDetail = QuickTransferRowText::sizeText(r);
        if (large)
            m_leftRightVisible = true;
        else
            m_shareVisible = m_successVisible = true;
        break;
    case QuickTransferTypeFolder:
        m_kind = FolderKind;
        m_contentIcon = u"main_qt_icon_folder.png"_s;
        m_contentTitle = QuickTransferRowText::lastPathComponent(r.dt.isEmpty() ? r.path : r.dt);
        if (m_contentTitle.isEmpty())
            m_contentTitle = QuickTransferRowText::titleOf(r);
        m_bottomVisible = true;
        m_bottomTitle = tr("打开文件夹");
        break;
    case QuickTransferTypeImage:
        m_kind = ImageKind;
        m_contentTitle = QuickTransferRowText::titleOf(r);
        m_pictureSource = QUrl::fromLocalFile(localFile());
        m_shareVisible = m_successVisible = true;
        loadPicture();
        break;
    default:
        // Documents, and files of any other kind.
        m_kind = DocumentKind;
        m_contentIcon = u"main_qt_icon_doc.png"_s;
        m_contentTitle = QuickTransferRowText::titleOf(r);
        m_contentDetail = QuickTransferRowText::sizeText(r);
        if (large) {
            m_bottomVisible = true;
            m_bottomTitle = tr("下载到手机");
        } else {
            m_shareVisible = m_successVisible = true;
        }
        break;
    }
    if (!waitsForDownload())
        m_waitTimer.stop();
    setStage(Result);
    Q_EMIT resultChanged();
}

void QuickTransferAnimationViewController::showGetQuickTransferFailed()
{
    if (m_stage == Result || m_stage == Failed || m_stage == Unknown)
        return;
    if (m_isQuickTransferUnknown) {
        setStage(Unknown);
        if (!m_screenshotAsked) {
            m_screenshotAsked = true;
            restartWaitLimit();
            if (auto *http = HttpRequestCenter::sharedInstance())
                http->getScreenshot();
        }
        return;
    }
    m_waitTimer.stop();
    setStage(Failed);
}

void QuickTransferAnimationViewController::showScreenshot()
{
    m_kind = ImageKind;
    m_contentTitle = QuickTransferRowText::titleOf(*m_record);
    m_pictureSource = QUrl::fromLocalFile(localFile());
    m_shareVisible = m_successVisible = true;
    loadPicture();
    Q_EMIT resultChanged();
}

void QuickTransferAnimationViewController::setPictures(QuickTransferListModel *pictures)
{
    if (m_pictures)
        disconnect(m_pictures, nullptr, this, nullptr);
    m_pictures = pictures;
    if (!pictures)
        return;
    connect(pictures, &QuickTransferListModel::pictureChanged, this,
            [this](quint64 identifier, const QString &address) {
                if (m_kind == ImageKind && m_record && m_record->identifier == identifier)
                    setPicture(address);
            });
}

void QuickTransferAnimationViewController::loadPicture()
{
    if (m_pictures && m_record && isComplete())
        setPicture(m_pictures->pictureAddress(*m_record));
}

void QuickTransferAnimationViewController::setPicture(const QString &address)
{
    if (m_picture == address)
        return;
    m_picture = address;
    Q_EMIT pictureChanged();
}

void QuickTransferAnimationViewController::getNewQuickTransfer(const QVariantMap &info)
{
    // One panel shows one fetch: an answer of an earlier fetch that comes late changes nothing.
    if (m_isQuickTransferUnknown || m_record || m_isGetQuickTransferFailed)
        return;
    const QuickTransferArrival arrival = QuickTransferArrival::decide(info);
    if (arrival.isFailure()) {
        getQuickTransferFailed(false);
        return;
    }
    m_record = arrival.current;
    m_setAside = arrival.setAside;
    if (m_record->type == QuickTransferTypeImage)
        restartWaitLimit();
    else
        m_waitTimer.stop();
    for (const auto &record : arrival.downloadNow)
        m_hub->post(Notifications::DoDownloadFile, {{u"object"_s, QVariant::fromValue(record)}});
    if (m_record->type == QuickTransferTypeImage) {
        // The fetch posts the image's download right after this announcement; once that has run,
        // an image the manager did not take is known to be lost.
        QTimer::singleShot(0, this, &QuickTransferAnimationViewController::checkDownloadDropped);
        return;
    }
    if (m_airplaneStatus == 1)
        showQuickTransfer();
}

void QuickTransferAnimationViewController::getQuickTransferFailed(bool isUnknown)
{
    if (m_isQuickTransferUnknown || m_record || m_isGetQuickTransferFailed)
        return;
    m_isQuickTransferUnknown = isUnknown;
    m_isGetQuickTransferFailed = true;
    m_waitTimer.stop();
    if (m_airplaneStatus == 1)
        showGetQuickTransferFailed();
}

void QuickTransferAnimationViewController::deviceShaked()
{
    if (!m_isCanRetry || m_isSelfViewConvered || isClosing())
        return;
    Q_EMIT vibrate();
    retry();
}

void QuickTransferAnimationViewController::getScreenshotFinished(const QVariantMap &info)
{
    if (m_stage != Unknown || m_record)
        return;
    const auto record = recordIn(info);
    if (!info.value(u"isSuccess"_s).toBool() || !record) {
        m_waitTimer.stop();
        m_toasts->showToast(tr("电脑在锁屏或休眠状态下无法抓取屏幕"));
        return;
    }
    m_record = record;
    if (isComplete()) {
        m_isDownloadFileSuccessed = true;
        m_waitTimer.stop();
        showScreenshot();
        return;
    }
    restartWaitLimit();
    QTimer::singleShot(0, this, &QuickTransferAnimationViewController::checkDownloadDropped);
}

bool QuickTransferAnimationViewController::isCurrent(const QVariantMap &info) const
{
    const auto record = recordIn(info);
    if (!record || !m_record)
        return false;
    if (record == m_record)
        return true;
    if (record->identifier != 0 && record->identifier == m_record->identifier)
        return true;
    return !record->localPath.isEmpty() && record->localPath == m_record->localPath;
}

void QuickTransferAnimationViewController::downloadFileFinished(const QVariantMap &info)
{
    if (!isCurrent(info) || m_isDownloadFileSuccessed)
        return;
    m_isDownloadFileSuccessed = true;
    m_waitTimer.stop();
    if (m_isSharing) {
        endShare(true);
        return;
    }
    if (m_stage == Unknown) {
        showScreenshot();
        return;
    }
    if (m_airplaneStatus == 1 && m_record->type == QuickTransferTypeImage)
        showQuickTransfer();
}

void QuickTransferAnimationViewController::downloadFileFailed(const QVariantMap &info)
{
    if (!isCurrent(info) || m_isDownloadFileSuccessed)
        return;
    currentDownloadFailed();
}

void QuickTransferAnimationViewController::currentDownloadFailed()
{
    if (m_isDownloadFileFailed)
        return;
    m_isDownloadFileFailed = true;
    m_waitTimer.stop();
    if (m_isSharing) {
        endShare(false);
        return;
    }
    if (m_stage == Unknown) {
        m_toasts->showToast(tr("电脑在锁屏或休眠状态下无法抓取屏幕"));
        return;
    }
    if (m_airplaneStatus == 1 && m_record->type == QuickTransferTypeImage)
        showGetQuickTransferFailed();
}

void QuickTransferAnimationViewController::downloadReceivedData(const QVariantMap &info)
{
    if (isCurrent(info) && waitsForDownload())
        restartWaitLimit();
}

void QuickTransferAnimationViewController::statusChanged()
{
    // Leaving the authorised state cancels the fetch and every download; the ones that were
    // only waiting are dropped without a word.
    if (!m_record && !m_isGetQuickTransferFailed && !m_state->isAuthorized()) {
        getQuickTransferFailed(false);
        return;
    }
    checkDownloadDropped();
}

bool QuickTransferAnimationViewController::waitsForDownload() const
{
    if (!m_record || m_isDownloadFileSuccessed || m_isDownloadFileFailed)
        return false;
    return m_isSharing || m_record->type == QuickTransferTypeImage;
}

QString QuickTransferAnimationViewController::localFile() const
{
    return m_record ? m_record->downloadPath(m_libraryPath) : QString();
}

bool QuickTransferAnimationViewController::isComplete() const
{
    const QString file = localFile();
    return !file.isEmpty() && QFileInfo(file).isFile();
}

bool QuickTransferAnimationViewController::currentDownloadDropped() const
{
    if (!m_record || isComplete())
        return false;
    auto *downloads = HttpFileDownloadCenter::sharedInstance();
    return !downloads || !downloads->isInDownloadingFileQueue(*m_record);
}

void QuickTransferAnimationViewController::checkDownloadDropped()
{
    if (!waitsForDownload())
        return;
    if (isComplete()) {
        downloadFileFinished({{u"object"_s, QVariant::fromValue(m_record)}});
        return;
    }
    if (currentDownloadDropped())
        currentDownloadFailed();
}

void QuickTransferAnimationViewController::setWaitLimit(int ms)
{
    m_waitLimitMs = ms;
    if (m_waitTimer.isActive())
        restartWaitLimit();
}

void QuickTransferAnimationViewController::restartWaitLimit()
{
    m_waitTimer.start(m_waitLimitMs);
}

void QuickTransferAnimationViewController::waitLimitReached()
{
    if (!m_record) {
        if (m_stage == Unknown) {
            m_toasts->showToast(tr("电脑在锁屏或休眠状态下无法抓取屏幕"));
            return;
        }
        getQuickTransferFailed(false);
        return;
    }
    if (waitsForDownload())
        currentDownloadFailed();
}

void QuickTransferAnimationViewController::tappedCloseButton()
{
    back();
}

void QuickTransferAnimationViewController::tappedSuccessButton()
{
    back();
}

void QuickTransferAnimationViewController::tappedRetryButton()
{
    retry();
}

void QuickTransferAnimationViewController::retry()
{
    if (isClosing())
        return;
    m_afterClose = AfterClose::Retry;
    back();
}

void QuickTransferAnimationViewController::tappedContentButton()
{
    if (!m_record || m_isSelfViewConvered || isClosing())
        return;
    switch (m_record->type) {
    case QuickTransferTypeFolder:
        m_afterClose = AfterClose::Directory;
        m_afterCloseText = m_record->dt.isEmpty() ? m_record->path : m_record->dt;
        back();
        break;
    case QuickTransferTypeImage:
        if (!m_pictureSource.isEmpty()) {
            setCovered(true);
            Q_EMIT openPicture(m_record);
        }
        break;
    case QuickTransferTypeLink:
        setCovered(true);
        Q_EMIT openWebPage(QUrl(m_record->url));
        break;
    case QuickTransferTypeText:
        m_afterClose = AfterClose::Text;
        m_afterCloseText = m_record->dt;
        back();
        break;
    case QuickTransferTypeDocument:
        if (isComplete()) {
            setCovered(true);
            Q_EMIT previewDocument(m_record);
        } else {
            m_toasts->showToast(tr("文件下载完毕才能预览"));
        }
        break;
    default:
        break;
    }
}

void QuickTransferAnimationViewController::tappedShareButton()
{
    if (!m_record || m_isSelfViewConvered || isClosing())
        return;
    if (m_record->type == QuickTransferTypeText || m_record->type == QuickTransferTypeLink) {
        Q_EMIT shareText(m_record->type == QuickTransferTypeText ? m_record->dt : m_record->url);
        return;
    }
    if (!m_record->isFile())
        return;
    m_isSharing = true;
    setCovered(true);
    m_toasts->showProgress();
    if (isComplete()) {
        endShare(true);
        return;
    }
    if (m_isDownloadFileFailed || currentDownloadDropped()) {
        endShare(false);
        return;
    }
    restartWaitLimit();
}

void QuickTransferAnimationViewController::endShare(bool success)
{
    if (!m_isSharing)
        return;
    m_isSharing = false;
    m_waitTimer.stop();
    m_toasts->hideProgress();
    if (success && isComplete()) {
        Q_EMIT openIn(localFile());
    } else {
        setCovered(false);
        m_toasts->showToast(tr("文件下载失败"));
    }
}

void QuickTransferAnimationViewController::coverClosed()
{
    setCovered(false);
}

void QuickTransferAnimationViewController::tappedLeftButton()
{
    if (!m_record || m_kind != MediaKind || isClosing())
        return;
    Q_EMIT playMedia(isComplete() ? QUrl::fromLocalFile(localFile())
                                  : LocalFiles::getDownloadFileUrlByPcPath(m_record->path));
}

void QuickTransferAnimationViewController::tappedRightButton()
{
    if (!m_record || m_kind != MediaKind || isClosing())
        return;
    m_hub->post(Notifications::DoDownloadFile, {{u"object"_s, QVariant::fromValue(m_record)}});
    m_isStartDownload = true;
    back();
}

void QuickTransferAnimationViewController::tappedBottomButton()
{
    if (!m_record || isClosing())
        return;
    if (m_record->type == QuickTransferTypeFolder) {
        tappedContentButton();
        return;
    }
    if (!m_record->isFile())
        return;
    m_hub->post(Notifications::DoDownloadFile, {{u"object"_s, QVariant::fromValue(m_record)}});
    for (const auto &record : std::as_const(m_setAside))
        m_hub->post(Notifications::DoDownloadFile, {{u"object"_s, QVariant::fromValue(record)}});
    m_isStartDownload = true;
    back();
}

void QuickTransferAnimationViewController::back()
{
    if (isClosing())
        return;
    m_stepTimer.stop();
    m_waitTimer.stop();
    if (m_isSharing) {
        m_isSharing = false;
        m_toasts->hideProgress();
    }
    ScreenController::back();
}

void QuickTransferAnimationViewController::deleteNotDownloadingQuickTransferRecord()
{
    if (m_isStartDownload || !m_record || !isLargeOffer(*m_record))
        return;
    QVariantList ids;
    if (m_record->identifier != 0)
        ids << m_record->identifier;
    for (const auto &record : std::as_const(m_setAside))
        if (record->identifier != 0)
            ids << record->identifier;
    if (!ids.isEmpty())
        m_hub->post(Notifications::DeleteQuickTransfer, {{u"arrayId"_s, ids}});
}

void QuickTransferAnimationViewController::closeFinished()
{
    if (!isClosing())
        back();
    deleteNotDownloadingQuickTransferRecord();
    setCovered(true);
    Q_EMIT closeedFunctionalSubView();
    ScreenController::closeFinished();
    const AfterClose after = std::exchange(m_afterClose, AfterClose::Nothing);
    switch (after) {
    case AfterClose::Retry:
        if (m_state->isAuthorized())
            Q_EMIT getQuickTransfer();
        else
            m_toasts->showToast(tr("您已被取消管理员权限"), 2);
        break;
    case AfterClose::Directory:
        Q_EMIT openDirectory(m_afterCloseText);
        break;
    case AfterClose::Text:
        Q_EMIT openText(m_afterCloseText);
        break;
    case AfterClose::Nothing:
        break;
    }
}
