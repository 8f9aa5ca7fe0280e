#pragma once

#include "QuickTransferListModel.h"
#include "QuickTransferObject.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

class DialogCenter;
class NotificationCenter;
class RuntimeState;
class SaveMemoryImageLoader;
class ToastCenter;
class UserDefaults;

/// The main screen: the history of everything received, under the bar with its filter title,
/// and the three entry buttons of its footer (quick transfer, the PC browser, remote control),
/// whose looks follow the connection status. It takes the shake gesture and decides, through its
/// gates, whether a shake fetches the PC's selection.
class MainViewController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// The bar's title: "我的快传", or the active filter's title.
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
    /// The rows of the history.
    Q_PROPERTY(QuickTransferListModel *listModel READ listModel CONSTANT)
    /// The filter menu's entries: maps of "label", "icon", "type" and "title".
    Q_PROPERTY(QVariantList filterEntries READ filterEntries CONSTANT)
    /// The index of the active filter's entry (0: all).
    Q_PROPERTY(int filterIndex READ filterIndex NOTIFY titleChanged)
    /// Whether a filter is on: the bar's left button then goes back to all.
    Q_PROPERTY(bool filtered READ isFiltered NOTIFY titleChanged)
    /// Whether the list has no rows: the empty picture shows and the edit button goes.
    Q_PROPERTY(bool empty READ isEmpty NOTIFY emptyChanged)
    /// Whether the history has been read once; until then the list shows neither rows nor the
    /// empty picture.
    Q_PROPERTY(bool loaded READ isLoaded NOTIFY loadedChanged)
    /// The picture of the empty list for the active filter.
    Q_PROPERTY(QString emptyImage READ emptyImage NOTIFY titleChanged)
    /// The edit button's title: "编 辑", or "取 消" in selection mode.
    Q_PROPERTY(QString editTitle READ editTitle NOTIFY editingChanged)
    /// The select-all button's picture, and the selection label ("已选 %lu 项").
    Q_PROPERTY(QString selectAllIcon READ selectAllIcon NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedText READ selectedText NOTIFY selectionChanged)
    /// The first row the view shows; remembered when a filter is switched on.
    Q_PROPERTY(int firstVisibleRow READ firstVisibleRow WRITE setFirstVisibleRow NOTIFY
                   firstVisibleRowChanged)
    /// The quick-transfer button's picture, and whether it stands on blue (else on white).
    Q_PROPERTY(QString shakeIcon READ shakeIcon NOTIFY statusLooksChanged)
    Q_PROPERTY(bool shakeOnBlue READ shakeOnBlue NOTIFY statusLooksChanged)
    /// The PC-browser and remote-control buttons' pictures, normal and pressed.
    Q_PROPERTY(QString computerIcon READ computerIcon NOTIFY statusLooksChanged)
    Q_PROPERTY(QString computerPressedIcon READ computerPressedIcon NOTIFY statusLooksChanged)
    Q_PROPERTY(QString remoteIcon READ remoteIcon NOTIFY statusLooksChanged)
    Q_PROPERTY(QString remotePressedIcon READ remotePressedIcon NOTIFY statusLooksChanged)
    /// Whether a sub-screen (connection, PC browser, remote control, transfer, text) lies over
    /// the main screen; the shell keeps it.
    Q_PROPERTY(
        bool subScreenOpen READ isSubScreenOpen WRITE setSubScreenOpen NOTIFY subScreenOpenChanged)
    /// Whether the type filter menu is open.
    Q_PROPERTY(bool filterMenuOpen READ isFilterMenuOpen WRITE setFilterMenuOpen NOTIFY
                   filterMenuOpenChanged)
    /// Whether the list is in selection mode.
    Q_PROPERTY(bool isEditing READ isEditing WRITE setEditing NOTIFY editingChanged)
    /// The names of the footer buttons, for screen readers.
    Q_PROPERTY(QString shakeName READ shakeName CONSTANT)
    Q_PROPERTY(QString computerName READ computerName CONSTANT)
    Q_PROPERTY(QString remoteName READ remoteName CONSTANT)
    /// Whether the send button is hidden while the connection screen's picture falls into it.
    Q_PROPERTY(bool sendButtonFalling READ isSendButtonFalling NOTIFY sendButtonFallingChanged)
public:
    /// The history's files are those of the Library folder @p libraryPath.
    MainViewController(NotificationCenter *hub, RuntimeState *state, UserDefaults *defaults,
                       ToastCenter *toasts, DialogCenter *dialogs, const QString &libraryPath,
                       QObject *parent = nullptr);
    ~MainViewController() override;

    /// The records the first read hands before the rest: more than a screenful of rows.
    static constexpr int FirstPage = 100;
    /// How long after the first page has been shown the rest of the history is read, so that
    /// the first screenful of rows is drawn before the long read and its rows.
    static constexpr int RestOfHistoryDelayMs = 150;
    /// The filter types of the menu's entries, in order.
    static constexpr quint64 FilterTypes[] = {0,
                                              QuickTransferTypeImage,
                                              QuickTransferTypeMusic,
                                              QuickTransferTypeLink,
                                              QuickTransferTypeVideo,
                                              QuickTransferTypeDocument,
                                              QuickTransferTypeText};

    [[nodiscard]] QString title() const;
    [[nodiscard]] QuickTransferListModel *listModel() { return &m_model; }
    [[nodiscard]] QVariantList filterEntries() const;
    [[nodiscard]] int filterIndex() const;
    [[nodiscard]] quint64 filterType() const { return m_filterType; }
    [[nodiscard]] bool isFiltered() const { return m_filterType != 0; }
    [[nodiscard]] bool isEmpty() const { return m_model.recordRowCount() == 0; }
    [[nodiscard]] bool isLoaded() const { return m_loaded; }
    [[nodiscard]] QString emptyImage() const;
    [[nodiscard]] QString editTitle() const;
    [[nodiscard]] QString selectAllIcon() const;
    [[nodiscard]] QString selectedText() const;
    [[nodiscard]] int firstVisibleRow() const { return m_firstVisibleRow; }
    void setFirstVisibleRow(int row);
    /// All stored records, newest first, as last read from the store.
    [[nodiscard]] QList<QuickTransferObjectPtr> quickTransferArray() const { return m_records; }
    [[nodiscard]] QString shakeIcon() const;
    [[nodiscard]] bool shakeOnBlue() const;
    [[nodiscard]] QString computerIcon() const;
    [[nodiscard]] QString computerPressedIcon() const;
    [[nodiscard]] QString remoteIcon() const;
    [[nodiscard]] QString remotePressedIcon() const;
    [[nodiscard]] bool isSubScreenOpen() const { return m_subScreenOpen; }
    void setSubScreenOpen(bool open);
    [[nodiscard]] bool isFilterMenuOpen() const { return m_filterMenuOpen; }
    void setFilterMenuOpen(bool open);
    [[nodiscard]] bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    [[nodiscard]] QString shakeName() const;
    [[nodiscard]] QString computerName() const;
    [[nodiscard]] QString remoteName() const;
    [[nodiscard]] bool isSendButtonFalling() const { return m_sendButtonFalling; }

    /// The screen has loaded: the history is read (loadQuickTransferList) unless it has been
    /// asked for already, and the first login starts.
    Q_INVOKABLE void viewDidLoad();
    /// The application came back to the foreground: logs in again when not logged in on WiFi.
    void willEnterForeground();
    /// A shake of the phone (the accelerometer, or Ctrl+Shift+S on a desktop).
    Q_INVOKABLE void motionBegan();
    /// Starts a fetch of the PC's selection and opens the transfer panel.
    Q_INVOKABLE void getQuickTransfer();
    /// Asks the store for the history, read off the main thread; the rows are rebuilt when it
    /// arrives, unless a later read has been asked or made meanwhile (that one then brings the
    /// rows). "notification_refresh_quicktransfer_list" and a deletion come here.
    Q_INVOKABLE void loadQuickTransferList();
    /// Reads the store now, on this thread, and rebuilds the rows; a read still in flight then
    /// no longer replaces them.
    Q_INVOKABLE void refreshQuickTransferList();
    /// Shows only the rows of @p type (0: all).
    Q_INVOKABLE void setFilterType(quint64 type);
    /// The filter menu's entry @p index was chosen: the menu closes and the filter switches.
    Q_INVOKABLE void chooseFilter(int index);
    /// The bar's back button while filtered.
    Q_INVOKABLE void showAllQuickTransferWithoutFilter();
    /// The edit button: selection mode on or off.
    Q_INVOKABLE void edit();
    /// Selects every row, or none when all are selected.
    Q_INVOKABLE void selectAll();
    /// The delete button: asks, then deletes the selected rows' records.
    Q_INVOKABLE void deleteSelected();
    /// A tap on row @p row's content, and on its icon.
    Q_INVOKABLE void tappedRowContent(int row);
    Q_INVOKABLE void tappedRowIcon(int row);
    /// The footer buttons.
    Q_INVOKABLE void tappedQuickTransferButton();
    Q_INVOKABLE void tappedMyComputerButton();
    Q_INVOKABLE void tappedRemoteControlButton();

public Q_SLOTS:
    /// The connection screen's picture starts falling into the send button, for @p duration
    /// seconds: the button hides until the fall ends, and shows again at the latest half a
    /// second after that duration, should the end never be told.
    void startFallDownSendButton(double duration);
    /// The picture has fallen: the button shows again, in the status's look.
    void endFallDownSendButton();

Q_SIGNALS:
    void titleChanged();
    void statusLooksChanged();
    void subScreenOpenChanged();
    void filterMenuOpenChanged();
    void editingChanged();
    void emptyChanged();
    void selectionChanged();
    void firstVisibleRowChanged();
    void sendButtonFallingChanged();
    void loadedChanged();
    /// The view scrolls so that row @p row is the first shown.
    void scrollToRow(int row);
    /// A link opens in the web page screen, with its extra-actions button.
    void openWebPage(const QUrl &url, bool moreButton);
    /// The text screen opens on @p text.
    void openText(const QString &text);
    /// The player plays @p url (a local file or a stream from the PC) titled @p title.
    void playMedia(const QUrl &url, const QString &title, bool isVideo);
    /// The picture viewer opens on @p records, starting at @p startIndex.
    void openPictureViewer(const QList<QuickTransferObjectPtr> &records, int startIndex);
    /// The file preview opens on the complete local copy @p localFile of @p record.
    void previewFile(const QuickTransferObjectPtr &record, const QString &localFile);
    /// The phone vibrates (a shake passed its gates).
    void vibrate();
    /// A fetch started: the transfer panel opens over the main screen.
    void openTransferPanel();
    /// The connection screen opens over the main screen.
    void showLoginView();
    /// The PC browser opens on the runtime state's disks.
    void openMyComputer();
    /// The remote-control screen opens.
    void openRemoteControl();

private:
    /// The toast for a function that needs the authorised status (none when neither applies).
    void showNotAuthorizedToast();
    void toggleSelection(int row);
    void deleteRows(const QList<int> &rows);
    /// Takes @p records as the history (none when the store is not open) and rebuilds the rows.
    void showRecords(const QList<QuickTransferObjectPtr> &records);
    /// Reads the history (only its newest @p newest records when given) and shows it unless a
    /// later read has been asked by then.
    void readHistory(int newest);
    /// The complete local copy of @p record, or "" when it is not on the phone.
    [[nodiscard]] QString completeLocalFile(const QuickTransferObject &record) const;

    NotificationCenter *m_hub;
    RuntimeState *m_state;
    UserDefaults *m_defaults;
    ToastCenter *m_toasts;
    DialogCenter *m_dialogs;
    QString m_libraryPath;
    std::unique_ptr<SaveMemoryImageLoader> m_loader;
    QuickTransferListModel m_model;
    QList<QuickTransferObjectPtr> m_records;
    // Counts the reads asked and made: a read's answer is shown only when it is the latest.
    quint64 m_readSerial = 0;
    bool m_loaded = false;
    quint64 m_filterType = 0;
    int m_firstVisibleRow = 0;
    int m_rememberedRow = 0;
    bool m_subScreenOpen = false;
    bool m_filterMenuOpen = false;
    bool m_editing = false;
    bool m_sendButtonFalling = false;
    QTimer m_fallTimer;
};
