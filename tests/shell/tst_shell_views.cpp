#include "AboutViewController.h"
#include "FakePlatform.h"
#include "FeedbackViewController.h"
#include "GuideController.h"
#include "IntroduceViewController.h"
#include "LoginViewController.h"
#include "MenuController.h"
#include "NavigationController.h"
#include "QmlWarnings.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "ToastCenter.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)

using namespace Qt::StringLiterals;

// What the shell's views are driven by in their tests: fresh controllers over a test core.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(NavigationController *navigation READ navigation CONSTANT)
    Q_PROPERTY(MenuController *menu READ menu CONSTANT)
    Q_PROPERTY(ToastCenter *toasts READ toasts CONSTANT)
    Q_PROPERTY(GuideController *guide READ guide CONSTANT)
    /// What the about screen copied last.
    Q_PROPERTY(QString clipboardText READ clipboardText)
public:
    Fixture()
        : m_navigation(m_core.core->notificationCenter(), m_core.core->runtimeState()),
          m_menu(m_core.core->notificationCenter(), m_core.core->runtimeState(),
                 &m_core.core->userDefaults(), &m_navigation, &m_toasts)
    {
    }
    NavigationController *navigation() { return &m_navigation; }
    MenuController *menu() { return &m_menu; }
    ToastCenter *toasts() { return &m_toasts; }
    GuideController *guide() { return &m_guide; }
    Q_INVOKABLE void showGuide() { m_guide.show(); }
    QString clipboardText() const
    {
        return static_cast<FakeClipboard &>(*m_core.core->platform().clipboard).text;
    }

    /// Fresh screen controllers, owned by the fixture (no PC: nothing is sent).
    Q_INVOKABLE LoginViewController *newLogin()
    {
        auto *screen =
            new LoginViewController(m_core.core->notificationCenter(), m_core.core->runtimeState(),
                                    nullptr, &m_toasts, this);
        screen->viewDidLoad();
        return screen;
    }
    Q_INVOKABLE FeedbackViewController *newFeedback()
    {
        auto *screen =
            new FeedbackViewController(m_core.core->notificationCenter(),
                                       &m_core.core->userDefaults(), nullptr, &m_toasts, this);
        screen->viewWillAppear();
        return screen;
    }
    Q_INVOKABLE AboutViewController *newAbout()
    {
        return new AboutViewController(m_core.core->platform().clipboard.get(), &m_toasts, this);
    }
    Q_INVOKABLE IntroduceViewController *newIntroduce()
    {
        return new IntroduceViewController(this);
    }

    /// Puts the main screen back, closed, without animation.
    Q_INVOKABLE void reset()
    {
        m_navigation.setOverlayOpen(false);
        m_core.core->runtimeState()->setIsMainViewCovered(false);
        if (m_navigation.offset() != 0)
            m_navigation.moveToMiddle();
    }
    Q_INVOKABLE void setStatus(int status)
    {
        m_core.core->runtimeState()->setStatus(quint64(status));
    }

private:
    TestCore m_core;
    ToastCenter m_toasts;
    GuideController m_guide;
    NavigationController m_navigation;
    MenuController m_menu;
};

class Setup : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void applicationAvailable() { QmlWarnings::failOnWarnings(); }
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        m_fixture = QmlWarnings::publishFixture<Fixture>(engine);
    }
    void cleanupTestCase() { m_fixture.reset(); }

private:
    std::unique_ptr<Fixture> m_fixture;
};

QUICK_TEST_MAIN_WITH_SETUP(shell_views, Setup)
#include "tst_shell_views.moc"
