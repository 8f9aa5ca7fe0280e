#pragma once

#include "FileObject.h"

#include <QAbstractListModel>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class NavigationController;
class NotificationCenter;
class RuntimeState;
class ToastCenter;
class UserDefaults;

/// The slide menu under the main screen: the WiFi name and the PC's standing in its header, and
/// five rows (client list, upload to the PC, feedback, about, introduction). A row acts as soon
/// as a touch highlights it. The rows are a list model with the roles below.
class MenuController : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// The WiFi name, or "未连接".
    Q_PROPERTY(QString wifiText READ wifiText NOTIFY headerChanged)
    /// The PC picture of the header, and whether it stands on the blue disc (else white).
    Q_PROPERTY(QString pcIcon READ pcIcon NOTIFY headerChanged)
    Q_PROPERTY(bool pcOnBlue READ pcOnBlue NOTIFY headerChanged)
    /// The application's version, shown at the foot of the menu.
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
public:
    enum Role {
        IconRole = Qt::UserRole + 1,
        TitleRole,
        ExtraRole,
        MarkRole,
        HighlightedRole,
    };
    Q_ENUM(Role)
    /// The rows, in order.
    enum Row { ClientsRow, UploadRow, FeedbackRow, AboutRow, IntroduceRow, RowCount };
    Q_ENUM(Row)

    MenuController(NotificationCenter *hub, RuntimeState *state, UserDefaults *defaults,
                   NavigationController *navigation, ToastCenter *toasts,
                   QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] QString wifiText() const;
    [[nodiscard]] QString pcIcon() const;
    [[nodiscard]] bool pcOnBlue() const;
    [[nodiscard]] QString versionText() const;

    /// A touch highlighted row @p row: it acts.
    Q_INVOKABLE void tableViewCellHighlighted(int row);
    /// Every row loses its highlight (the menu went away, the upload sheet was cancelled).
    Q_INVOKABLE void unhighlightedAllCells();

Q_SIGNALS:
    void headerChanged();
    /// The client list is asked for.
    void openClientList();
    /// The upload sheet is asked for, with the PC folder the files go to.
    void showUploadActionSheet(const FileObjectPtr &target);
    void openFeedback();
    void openAbout();
    void openIntroduce();
    /// The connection screen is asked for on the main screen.
    void showLoginView();

private:
    void reloadRow(int row);

    NotificationCenter *m_hub;
    RuntimeState *m_state;
    UserDefaults *m_defaults;
    NavigationController *m_navigation;
    ToastCenter *m_toasts;
    int m_highlighted = -1;
};
