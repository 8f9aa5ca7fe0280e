#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class NotificationCenter;
class RuntimeState;
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
    /// The bar's title.
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
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
public:
    MainViewController(NotificationCenter *hub, RuntimeState *state, UserDefaults *defaults,
                       ToastCenter *toasts, QObject *parent = nullptr);

    [[nodiscard]] QString title() const;
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

    /// The screen has loaded: the first login starts.
    Q_INVOKABLE void viewDidLoad();
    /// The application came back to the foreground: logs in again when not logged in on WiFi.
    void willEnterForeground();
    /// A shake of the phone (the accelerometer, or Ctrl+Shift+S on a desktop).
    Q_INVOKABLE void motionBegan();
    /// Starts a fetch of the PC's selection and opens the transfer panel.
    Q_INVOKABLE void getQuickTransfer();
    /// The footer buttons.
    Q_INVOKABLE void tappedQuickTransferButton();
    Q_INVOKABLE void tappedMyComputerButton();
    Q_INVOKABLE void tappedRemoteControlButton();

Q_SIGNALS:
    void titleChanged();
    void statusLooksChanged();
    void subScreenOpenChanged();
    void filterMenuOpenChanged();
    void editingChanged();
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

    NotificationCenter *m_hub;
    RuntimeState *m_state;
    UserDefaults *m_defaults;
    ToastCenter *m_toasts;
    bool m_subScreenOpen = false;
    bool m_filterMenuOpen = false;
    bool m_editing = false;
};
