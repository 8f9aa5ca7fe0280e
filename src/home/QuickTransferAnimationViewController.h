#pragma once

#include "QuickTransferObject.h"
#include "ScreenController.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class NotificationCenter;
class QuickTransferListModel;
class RuntimeState;
class ToastCenter;

/// The transfer panel that covers the main screen while a shake's fetch runs: a paper plane
/// leaves the PC (0.5 s panel, 1.0 s of plane frames), then hovers over its flame until the
/// result is there (at the earliest 1.0 s later), and the panel shows what arrived with the
/// actions that suit its kind, or the failure with a retry. When the PC has nothing selected it
/// shows a screenshot of the PC's screen instead.
///
/// Every wait is bounded: the answer and a download the panel waits for fail once nothing has
/// been heard of them for waitLimit() milliseconds, and a download the manager drops without a
/// word (no room for it, a change of the connection) ends the wait at once.
class QuickTransferAnimationViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the main screen")
public:
    /// Where the panel is in its life.
    enum Stage {
        Opening, ///< the panel slides in
        Flying,  ///< the plane frames play
        Waiting, ///< the plane hovers over its flame until the result is there
        Result,  ///< what arrived, with its buttons
        Failed,  ///< nothing arrived: the failure picture and the retry
        Unknown, ///< the PC had nothing selected: the screenshot of its screen
    };
    Q_ENUM(Stage)
    /// How the result is laid out.
    enum Kind { NoKind, TextKind, LinkKind, DocumentKind, MediaKind, FolderKind, ImageKind };
    Q_ENUM(Kind)

private:
    /// The stage of the panel.
    Q_PROPERTY(Stage stage READ stage NOTIFY stageChanged)
    /// 0 while the opening runs; 1 once it has reached its waiting state.
    Q_PROPERTY(int airplaneStatus READ airplaneStatus NOTIFY stageChanged)
    /// A shake may retry.
    Q_PROPERTY(bool isCanRetry READ isCanRetry NOTIFY stageChanged)
    /// Another view covers the panel: a shake does nothing.
    Q_PROPERTY(bool isSelfViewConvered READ isSelfViewConvered NOTIFY coveredChanged)
    /// The plane's frames ("main_qt_airplane0.png" ... "11"), played once in 1.0 s.
    Q_PROPERTY(QStringList planeFrames READ planeFrames CONSTANT)
    /// The flame's frames ("main_qt_fire0.png" ... "2"), 1.0 s per cycle.
    Q_PROPERTY(QStringList fireFrames READ fireFrames CONSTANT)
    Q_PROPERTY(QString pcImage READ pcImage CONSTANT)
    Q_PROPERTY(QString failedImage READ failedImage CONSTANT)
    /// "正在快传到手机".
    Q_PROPERTY(QString waitingText READ waitingText CONSTANT)
    /// The failure's line, and the screenshot path's line.
    Q_PROPERTY(QString failureText READ failureText CONSTANT)
    Q_PROPERTY(QString unknownText READ unknownText CONSTANT)
    /// "来自：<PC name>的电脑" (the WiFi name when the PC has not told its name).
    Q_PROPERTY(QString fromText READ fromText NOTIFY resultChanged)
    /// The result's layout and content.
    Q_PROPERTY(Kind kind READ kind NOTIFY resultChanged)
    Q_PROPERTY(QString contentIcon READ contentIcon NOTIFY resultChanged)
    Q_PROPERTY(QString contentTitle READ contentTitle NOTIFY resultChanged)
    Q_PROPERTY(QString contentDetail READ contentDetail NOTIFY resultChanged)
    /// The local picture of an image or of the screenshot (empty until it is complete).
    Q_PROPERTY(QUrl pictureSource READ pictureSource NOTIFY resultChanged)
    /// The address the view shows that picture from, through the list's picture provider: ""
    /// while it loads, and when the file cannot be read.
    Q_PROPERTY(QString picture READ picture NOTIFY pictureChanged)
    /// Which buttons the result has.
    Q_PROPERTY(bool shareVisible READ shareVisible NOTIFY resultChanged)
    Q_PROPERTY(bool successVisible READ successVisible NOTIFY resultChanged)
    Q_PROPERTY(bool leftRightVisible READ leftRightVisible NOTIFY resultChanged)
    Q_PROPERTY(bool bottomVisible READ bottomVisible NOTIFY resultChanged)
    Q_PROPERTY(QString bottomTitle READ bottomTitle NOTIFY resultChanged)
    /// Button names and titles.
    Q_PROPERTY(QString leftTitle READ leftTitle CONSTANT)
    Q_PROPERTY(QString rightTitle READ rightTitle CONSTANT)
    Q_PROPERTY(QString retryTitle READ retryTitle CONSTANT)
    Q_PROPERTY(QString shareTitle READ shareTitle CONSTANT)
    Q_PROPERTY(QString successTitle READ successTitle CONSTANT)
    Q_PROPERTY(QString closeTitle READ closeTitle CONSTANT)
    Q_PROPERTY(QString contentName READ contentName NOTIFY resultChanged)

public:
    /// Observes @p hub for the fetch's answer, the downloads, the shakes and the status; reads
    /// the PC's name and the status from @p state; local files under @p libraryPath.
    QuickTransferAnimationViewController(NotificationCenter *hub, RuntimeState *state,
                                         ToastCenter *toasts, QString libraryPath,
                                         QObject *parent = nullptr);
    ~QuickTransferAnimationViewController() override;

    /// The time without any news after which a wait fails, in milliseconds (15 s).
    static constexpr int DefaultWaitLimitMs = 15000;
    [[nodiscard]] int waitLimit() const { return m_waitLimitMs; }
    /// Sets the limit; a wait under way starts again under it.
    void setWaitLimit(int ms);
    /// Pictures load through @p pictures' capped loader and show through its image provider,
    /// as the rows' pictures do; without it the panel shows none.
    void setPictures(QuickTransferListModel *pictures);

    [[nodiscard]] Stage stage() const { return m_stage; }
    [[nodiscard]] int airplaneStatus() const { return m_airplaneStatus; }
    [[nodiscard]] bool isCanRetry() const { return m_isCanRetry; }
    [[nodiscard]] bool isGetQuickTransferFailed() const { return m_isGetQuickTransferFailed; }
    [[nodiscard]] bool isQuickTransferUnknown() const { return m_isQuickTransferUnknown; }
    [[nodiscard]] bool isDownloadFileSuccessed() const { return m_isDownloadFileSuccessed; }
    [[nodiscard]] bool isDownloadFileFailed() const { return m_isDownloadFileFailed; }
    [[nodiscard]] bool isStartDownload() const { return m_isStartDownload; }
    [[nodiscard]] bool isSelfViewConvered() const { return m_isSelfViewConvered; }
    [[nodiscard]] bool isSharing() const { return m_isSharing; }
    [[nodiscard]] QuickTransferObjectPtr quickTransferObject() const { return m_record; }
    [[nodiscard]] QList<QuickTransferObjectPtr> quickTransferArray() const { return m_setAside; }

    [[nodiscard]] QStringList planeFrames() const;
    [[nodiscard]] QStringList fireFrames() const;
    [[nodiscard]] QString pcImage() const;
    [[nodiscard]] QString failedImage() const;
    [[nodiscard]] QString waitingText() const;
    [[nodiscard]] QString failureText() const;
    [[nodiscard]] QString unknownText() const;
    [[nodiscard]] QString fromText() const;
    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] QString contentIcon() const { return m_contentIcon; }
    [[nodiscard]] QString contentTitle() const { return m_contentTitle; }
    [[nodiscard]] QString contentDetail() const { return m_contentDetail; }
    [[nodiscard]] QUrl pictureSource() const { return m_pictureSource; }
    [[nodiscard]] QString picture() const { return m_picture; }
    [[nodiscard]] bool shareVisible() const { return m_shareVisible; }
    [[nodiscard]] bool successVisible() const { return m_successVisible; }
    [[nodiscard]] bool leftRightVisible() const { return m_leftRightVisible; }
    [[nodiscard]] bool bottomVisible() const { return m_bottomVisible; }
    [[nodiscard]] QString bottomTitle() const { return m_bottomTitle; }
    [[nodiscard]] QString leftTitle() const;
    [[nodiscard]] QString rightTitle() const;
    [[nodiscard]] QString retryTitle() const;
    [[nodiscard]] QString shareTitle() const;
    [[nodiscard]] QString successTitle() const;
    [[nodiscard]] QString closeTitle() const;
    [[nodiscard]] QString contentName() const;

    /// Starts the opening; the view calls it once it is laid over the main screen.
    Q_INVOKABLE void showInView();
    /// Closes the panel (the close button and the success view).
    void back() override;
    /// The closing animation has ended: declined records go, and the opener hears of it.
    void closeFinished() override;

    Q_INVOKABLE void tappedCloseButton();
    Q_INVOKABLE void tappedRetryButton();
    Q_INVOKABLE void tappedSuccessButton();
    Q_INVOKABLE void tappedContentButton();
    Q_INVOKABLE void tappedShareButton();
    Q_INVOKABLE void tappedLeftButton();
    Q_INVOKABLE void tappedRightButton();
    Q_INVOKABLE void tappedBottomButton();
    /// A screen opened from the panel (picture viewer, web page, open-in) has closed.
    Q_INVOKABLE void coverClosed();

Q_SIGNALS:
    void stageChanged();
    void resultChanged();
    void pictureChanged();
    void coveredChanged();
    /// The phone vibrates: a shake retries.
    void vibrate();
    /// After closing: a new fetch with a new panel.
    void getQuickTransfer();
    /// After closing: the PC browser on this folder.
    void openDirectory(const QString &path);
    /// After closing: the text screen on this text.
    void openText(const QString &text);
    /// The panel has gone (the main screen takes the shake gesture again).
    void closeedFunctionalSubView();
    /// The picture viewer on this image record.
    void openPicture(const QuickTransferObjectPtr &record);
    /// The web page screen on this address.
    void openWebPage(const QUrl &url);
    /// The preview of this complete document.
    void previewDocument(const QuickTransferObjectPtr &record);
    /// The text share sheet on this text or address.
    void shareText(const QString &text);
    /// The platform's open-in menu for this local file.
    void openIn(const QString &localFile);
    /// Plays this music or video: its local file, or streamed from the PC.
    void playMedia(const QUrl &url);

private:
    void setStage(Stage stage);
    void setCovered(bool covered);
    void makeAirplaneFinished();
    void checkIsGetQuickTransferFinished();
    void showQuickTransfer();
    void showGetQuickTransferFailed();
    void showScreenshot();
    /// Shows the current record's picture: asks the list's provider for it.
    void loadPicture();
    void setPicture(const QString &address);

    void getNewQuickTransfer(const QVariantMap &info);
    void getQuickTransferFailed(bool isUnknown);
    void deviceShaked();
    void getScreenshotFinished(const QVariantMap &info);
    void downloadFileFinished(const QVariantMap &info);
    void downloadFileFailed(const QVariantMap &info);
    void downloadReceivedData(const QVariantMap &info);
    void statusChanged();

    /// The image the panel waits for has failed (or gone quiet, or been dropped).
    void currentDownloadFailed();
    /// Whether the panel waits for the current record's download (image, screenshot, share).
    [[nodiscard]] bool waitsForDownload() const;
    /// The manager holds no download of the current record and its file is not complete.
    [[nodiscard]] bool currentDownloadDropped() const;
    void checkDownloadDropped();
    void waitLimitReached();
    void restartWaitLimit();
    [[nodiscard]] bool isCurrent(const QVariantMap &info) const;
    [[nodiscard]] bool isComplete() const;
    [[nodiscard]] QString localFile() const;
    void endShare(bool success);
    void retry();
    void deleteNotDownloadingQuickTransferRecord();

    NotificationCenter *m_hub;
    RuntimeState *m_state;
    ToastCenter *m_toasts;
    QString m_libraryPath;
    QTimer m_stepTimer;
    QTimer m_waitTimer;
    int m_waitLimitMs = DefaultWaitLimitMs;

    QuickTransferObjectPtr m_record;
    QList<QuickTransferObjectPtr> m_setAside;
    Stage m_stage = Opening;
    int m_airplaneStatus = 0;
    bool m_shown = false;
    bool m_isCanRetry = false;
    bool m_isGetQuickTransferFailed = false;
    bool m_isQuickTransferUnknown = false;
    bool m_isDownloadFileSuccessed = false;
    bool m_isDownloadFileFailed = false;
    bool m_isStartDownload = false;
    bool m_isSelfViewConvered = false;
    bool m_isSharing = false;
    bool m_screenshotAsked = false;

    enum class AfterClose { Nothing, Retry, Directory, Text };
    AfterClose m_afterClose = AfterClose::Nothing;
    QString m_afterCloseText;

    Kind m_kind = NoKind;
    QString m_contentIcon;
    QString m_contentTitle;
    QString m_contentDetail;
    QUrl m_pictureSource;
    QPointer<QuickTransferListModel> m_pictures;
    QString m_picture;
    bool m_shareVisible = false;
    bool m_successVisible = false;
    bool m_leftRightVisible = false;
    bool m_bottomVisible = false;
    QString m_bottomTitle;
};
