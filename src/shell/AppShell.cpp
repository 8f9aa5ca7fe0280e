#include "AppShell.h"

#include "AboutViewController.h"
#include "AppWiring.h"
#include "FeedbackViewController.h"
#include "HttpRequestCenter.h"
#include "IntroduceViewController.h"
#include "LoginAndAuthCenter.h"
#include "LoginViewController.h"
#include "Motion.h"
#include "QuickTransferAnimationViewController.h"
#include "TextViewController.h"
#include "UDPCenter.h"
#include "Vibration.h"
#include "WebViewController.h"

#include <QJSEngine>
#include <QMetaMethod>

using namespace Qt::StringLiterals;

namespace {
AppShell *g_shell = nullptr;
}

AppShell::AppShell(AppCore &core, QObject *parent)
    : QObject(parent), m_core(core), m_navigation(core.notificationCenter(), core.runtimeState()),
      m_router(&m_navigation), m_menu(core.notificationCenter(), core.runtimeState(),
                                      &core.userDefaults(), &m_navigation, &m_toasts),
      m_main(core.notificationCenter(), core.runtimeState(), &core.userDefaults(), &m_toasts,
             &m_dialogs, core.libraryPath()),
      m_shareTextSheet(&m_dialogs, &m_toasts, core.platform().composer.get())
{
    g_shell = this;
    connect(&m_router, &ScreenRouter::openCountChanged, this,
            [this] { m_main.setSubScreenOpen(m_router.openCount() > 0); });
    // The phone's shake reaches the main screen; a shake that passes its gates vibrates.
    Platform &platform = core.platform();
    if (platform.motion)
        connect(platform.motion.get(), &Motion::shaken, &m_main, &MainViewController::motionBegan);
    if (platform.vibration)
        connect(&m_main, &MainViewController::vibrate, platform.vibration.get(),
                &Vibration::vibrate);
    connect(&m_menu, &MenuController::showLoginView, this, &AppShell::showLoginView);
    connect(&m_main, &MainViewController::showLoginView, this, &AppShell::showLoginView);
    connect(&m_menu, &MenuController::openFeedback, this, &AppShell::openFeedback);
    connect(&m_menu, &MenuController::openAbout, this, &AppShell::openAbout);
    connect(&m_menu, &MenuController::openIntroduce, this, &AppShell::openIntroduce);
    connect(&m_guide, &GuideController::showAgreementRequested, this,
            [this](const QString &resource) { openWebPage(resource); });
    connect(&m_main, &MainViewController::openText, this, &AppShell::openText);
    connect(&m_main, &MainViewController::openWebPage, this,
            [this](const QUrl &url, bool moreButton) {
                openWebPage(url.toString(), QString(), moreButton);
            });
    connect(&m_main, &MainViewController::openTransferPanel, this, &AppShell::openTransferPanel);
    // The connection screen's picture falls into the main screen's send button.
    connect(this, &AppShell::startFallDownSendButton, &m_main,
            &MainViewController::startFallDownSendButton);
    connect(this, &AppShell::endFallDownSendButton, &m_main,
            &MainViewController::endFallDownSendButton);
}

void AppShell::openText(const QString &text)
{
    m_router.open(QUrl(u"qrc:/Zephyr/Home/TextView.qml"_s), new TextViewController(text));
}

void AppShell::openTransferPanel()
{
    using Panel = QuickTransferAnimationViewController;
    auto *panel = new Panel(m_core.notificationCenter(), m_core.runtimeState(), &m_toasts,
                            m_core.libraryPath());
    panel->setPictures(m_main.listModel());
    connect(panel, &Panel::vibrate, &m_main, &MainViewController::vibrate);
    connect(panel, &Panel::getQuickTransfer, &m_main, &MainViewController::getQuickTransfer,
            Qt::QueuedConnection);
    connect(panel, &Panel::openDirectory, this, &AppShell::openDirectoryRequested);
    connect(panel, &Panel::openText, this, &AppShell::openText);
    connect(panel, &Panel::closeedFunctionalSubView, this, &AppShell::closeedFunctionalSubView);
    // A screen laid over the panel frees it when it closes; until that screen exists the
    // panel is free at once.
    const auto covering = [this, panel](auto request, const auto &argument) {
        Q_EMIT(this->*request)(argument);
        if (!isSignalConnected(QMetaMethod::fromSignal(request)))
            panel->coverClosed();
    };
    connect(panel, &Panel::openPicture, panel, [covering](const QuickTransferObjectPtr &r) {
        covering(&AppShell::openPictureRequested, r);
    });
    // A link opens the web page screen over the panel, with its more button.
    connect(panel, &Panel::openWebPage, panel, [this, panel](const QUrl &url) {
        openWebPage(url.toString(), {}, true);
        const auto screens = m_router.openScreens();
        if (screens.isEmpty() || screens.last() == panel)
            panel->coverClosed();
        else
            connect(screens.last(), &ScreenController::closed, panel, &Panel::coverClosed);
    });
    connect(panel, &Panel::previewDocument, panel, [covering](const QuickTransferObjectPtr &r) {
        covering(&AppShell::previewDocumentRequested, r);
    });
    connect(panel, &Panel::shareText, &m_shareTextSheet,
            &ShareTextStringActionSheet::showShareTextStringActionSheet);
    // Files and media go to the desktop's handlers; the panel is free again at once.
    const auto handOver = [this, panel](const QUrl &url) {
        if (Composer *composer = m_core.platform().composer.get())
            composer->openUrl(url);
        panel->coverClosed();
    };
    connect(panel, &Panel::openIn, panel,
            [handOver](const QString &file) { handOver(QUrl::fromLocalFile(file)); });
    connect(panel, &Panel::playMedia, panel, handOver);
    m_router.open(QUrl(u"qrc:/Zephyr/Home/QuickTransferAnimationView.qml"_s), panel, false);
}

AppShell::~AppShell()
{
    if (g_shell == this)
        g_shell = nullptr;
}

AppShell *AppShell::instance()
{
    return g_shell;
}

RuntimeState *AppShell::state() const
{
    return m_core.runtimeState();
}

void AppShell::remoteControlReceived(const QString &event)
{
    m_core.remoteControlReceived(event.isEmpty() ? QVariant() : QVariant(event));
}

void AppShell::didEnterBackground()
{
    m_navigation.didEnterBackground();
}

void AppShell::willEnterForeground()
{
    m_main.willEnterForeground();
}

AppCore::Hooks AppShell::startupHooks()
{
    AppCore::Hooks hooks = AppWiring::startupHooks();
    hooks.showGuide = [this] { m_guide.show(); };
    hooks.createServices = [this, create = hooks.createServices](AppCore &core) {
        create(core);
        connectServices(core);
    };
    return hooks;
}

void AppShell::connectServices(AppCore &core)
{
    // What the PC pushes is announced with a toast.
    if (auto *udp = core.service<UDPCenter>())
        connect(udp, &UDPCenter::toastRequested, &m_toasts,
                [this](const QString &text, int durationMs) {
                    m_toasts.showToast(text, durationMs / 1000.0);
                });
    // The history is read on the "initQueue" right after the store opens, while the window loads.
    m_main.loadQuickTransferList();
}

void AppShell::showLoginView()
{
    auto *screen = new LoginViewController(m_core.notificationCenter(), m_core.runtimeState(),
                                           LoginAndAuthCenter::sharedInstance(), &m_toasts);
    connect(screen, &LoginViewController::startFallDownSendButton, this,
            &AppShell::startFallDownSendButton);
    connect(screen, &LoginViewController::endFallDownSendButton, this,
            &AppShell::endFallDownSendButton);
    connect(screen, &LoginViewController::closeedFunctionalSubView, this,
            &AppShell::closeedFunctionalSubView);
    m_router.open(QUrl(u"qrc:/Zephyr/Shell/LoginView.qml"_s), screen);
    screen->viewDidLoad();
}

void AppShell::openFeedback()
{
    auto *screen = new FeedbackViewController(m_core.notificationCenter(), &m_core.userDefaults(),
                                              HttpRequestCenter::sharedInstance(), &m_toasts);
    screen->viewWillAppear();
    m_router.open(QUrl(u"qrc:/Zephyr/Shell/FeedbackView.qml"_s), screen, false);
}

void AppShell::openAbout()
{
    auto *screen = new AboutViewController(m_core.platform().clipboard.get(), &m_toasts);
    connect(screen, &AboutViewController::openWebPage, this, &AppShell::openWebPage);
    m_router.open(QUrl(u"qrc:/Zephyr/Shell/AboutView.qml"_s), screen, false);
}

void AppShell::openIntroduce()
{
    m_router.open(QUrl(u"qrc:/Zephyr/Shell/IntroduceView.qml"_s), new IntroduceViewController,
                  false);
}

void AppShell::openWebPage(const QString &url, const QString &title, bool showMore)
{
    auto *screen =
        new WebViewController(url, title, showMore, &m_dialogs, &m_toasts,
                              m_core.platform().clipboard.get(), m_core.platform().composer.get());
    m_router.open(QUrl(u"qrc:/Zephyr/Shell/WebView.qml"_s), screen, false);
}

AppShell *AppShellForeign::create(QQmlEngine *, QJSEngine *)
{
    AppShell *shell = AppShell::instance();
    QJSEngine::setObjectOwnership(shell, QJSEngine::CppOwnership);
    return shell;
}
