// The web page screen with the real engine in a real window (run under Xvfb: the engine does
// not draw on the offscreen platform).
#include "DialogCenter.h"
#include "FakePlatform.h"
#include "QmlWarnings.h"
#include "ToastCenter.h"
#include "WebViewController.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)

using namespace Qt::StringLiterals;

// Fresh web page screens over recording platform services.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(DialogCenter *dialogs READ dialogs CONSTANT)
    Q_PROPERTY(ToastCenter *toasts READ toasts CONSTANT)
    Q_PROPERTY(QString clipboardText READ clipboardText)
public:
    DialogCenter *dialogs() { return &m_dialogs; }
    ToastCenter *toasts() { return &m_toasts; }
    QString clipboardText() const { return m_clipboard.text; }

    Q_INVOKABLE WebViewController *newPage(const QString &url, const QString &title, bool showMore)
    {
        return new WebViewController(url, title, showMore, &m_dialogs, &m_toasts, &m_clipboard,
                                     &m_composer, this);
    }

private:
    DialogCenter m_dialogs;
    ToastCenter m_toasts;
    FakeClipboard m_clipboard;
    FakeComposer m_composer;
};

class Setup : public QObject
{
    Q_OBJECT
public:
    // The engine must be set up before the application object exists.
    Setup() { QtWebEngineQuick::initialize(); }

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

QUICK_TEST_MAIN_WITH_SETUP(webview, Setup)
#include "tst_webview.moc"
