#pragma once

#include "AppCore.h"
#include "BlurredImages.h"
#include "DialogCenter.h"
#include "GuideController.h"
#include "MainViewController.h"
#include "MenuController.h"
#include "NavigationController.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "ScreenRouter.h"
#include "ShareTextStringActionSheet.h"
#include "ToastCenter.h"

#include <QObject>
#include <QUrl>
#include <QtQml/qqml.h>

class QQmlEngine;
class QJSEngine;

/// The screens' entry into the running application: the controllers that live as long as the
/// window (navigation, menu, main screen, first-launch guide), the window's toasts and dialogs,
/// and the router that lays the other screens over them. Published to QML as the singleton
/// `Shell`.
class AppShell : public QObject
{
    Q_OBJECT
    Q_PROPERTY(GuideController *guide READ guide CONSTANT)
    Q_PROPERTY(NavigationController *navigation READ navigation CONSTANT)
    Q_PROPERTY(MenuController *menu READ menu CONSTANT)
    Q_PROPERTY(MainViewController *main READ main CONSTANT)
    Q_PROPERTY(ScreenRouter *router READ router CONSTANT)
    Q_PROPERTY(ToastCenter *toasts READ toasts CONSTANT)
    Q_PROPERTY(DialogCenter *dialogs READ dialogs CONSTANT)
    Q_PROPERTY(BlurredImages *blurredImages READ blurredImages CONSTANT)
    /// The connection state every screen reads.
    Q_PROPERTY(RuntimeState *state READ state CONSTANT)
public:
    explicit AppShell(AppCore &core, QObject *parent = nullptr);
    ~AppShell() override;

    /// The shell of the running window.
    [[nodiscard]] static AppShell *instance();

    [[nodiscard]] GuideController *guide() { return &m_guide; }
    [[nodiscard]] NavigationController *navigation() { return &m_navigation; }
    [[nodiscard]] MenuController *menu() { return &m_menu; }
    [[nodiscard]] MainViewController *main() { return &m_main; }
    [[nodiscard]] ScreenRouter *router() { return &m_router; }
    [[nodiscard]] ToastCenter *toasts() { return &m_toasts; }
    [[nodiscard]] DialogCenter *dialogs() { return &m_dialogs; }
    [[nodiscard]] BlurredImages *blurredImages() { return &m_blurredImages; }
    [[nodiscard]] RuntimeState *state() const;
    /// The sheet that shares a text or a link by message or mail.
    [[nodiscard]] ShareTextStringActionSheet *shareTextSheet() { return &m_shareTextSheet; }

    /// A media remote-control key of the window ("play", "pause", "next", "previous", ...).
    Q_INVOKABLE void remoteControlReceived(const QString &event);
    /// The window went to the background.
    Q_INVOKABLE void didEnterBackground();
    /// The window came back to the foreground.
    void willEnterForeground();

    /// The hooks of the start-up sequence, with the guide shown by this shell.
    [[nodiscard]] AppCore::Hooks startupHooks();

    /// Opens the connection screen over the main screen.
    Q_INVOKABLE void showLoginView();
    /// Opens the feedback, about and introduction screens.
    Q_INVOKABLE void openFeedback();
    Q_INVOKABLE void openAbout();
    Q_INVOKABLE void openIntroduce();
    /// Opens the web page screen on @p url ("qrc:/html/..." for the application's own pages)
    /// with the bar title @p title (empty: the page's own) and the more button when
    /// @p showMore. The screens that show links call it.
    Q_INVOKABLE void openWebPage(const QString &url, const QString &title = {},
                                 bool showMore = false);

Q_SIGNALS:
    /// The connection screen's picture starts falling into the send button (for @p duration
    /// seconds), has fallen, and the screen has gone: the main screen's send disc can react.
    void startFallDownSendButton(double duration);
    void endFallDownSendButton();
    void closeedFunctionalSubView();
    /// Screens of other features that the transfer panel asks for: the PC browser on a folder,
    /// the text screen, the picture viewer, a document's preview and the text share sheet.
    void openDirectoryRequested(const QString &path);
    void openPictureRequested(const QuickTransferObjectPtr &record);
    void previewDocumentRequested(const QuickTransferObjectPtr &record);

private:
    /// Connects the window to the services the start-up created.
    void connectServices(AppCore &core);
    /// Lays a new transfer panel over the main screen (a fetch has started).
    void openTransferPanel();
    /// Shows a received text on the text screen.
    void openText(const QString &text);

    AppCore &m_core;
    ToastCenter m_toasts;
    DialogCenter m_dialogs;
    BlurredImages m_blurredImages;
    GuideController m_guide;
    NavigationController m_navigation;
    ScreenRouter m_router;
    MenuController m_menu;
    MainViewController m_main;
    ShareTextStringActionSheet m_shareTextSheet;
};

/// Publishes the running AppShell to QML as the singleton `Shell`.
struct AppShellForeign
{
    Q_GADGET
    QML_FOREIGN(AppShell)
    QML_SINGLETON
    QML_NAMED_ELEMENT(Shell)
public:
    static AppShell *create(QQmlEngine *, QJSEngine *);
};

/// Lets QML name the runtime state's type.
struct RuntimeStateForeign
{
    Q_GADGET
    QML_FOREIGN(RuntimeState)
    QML_ANONYMOUS
};
