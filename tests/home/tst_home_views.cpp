#include "DataBaseCenter.h"
#include "DialogCenter.h"
#include "MainViewController.h"
#include "QmlWarnings.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "TestServices.h"
#include "TextViewController.h"
#include "ToastCenter.h"

#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)

using namespace Qt::StringLiterals;

// What the home views are driven by in their tests: a main screen over a test core with a
// store, and text screens.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(MainViewController *main READ main CONSTANT)
    Q_PROPERTY(DialogCenter *dialogs READ dialogs CONSTANT)
public:
    Fixture()
    {
        createServices(m_core);
        m_main = std::make_unique<MainViewController>(m_core.hub(), m_core.core->runtimeState(),
                                                      &m_core.core->userDefaults(), &m_toasts,
                                                      &m_dialogs, m_core.library());
    }
    MainViewController *main() { return m_main.get(); }
    DialogCenter *dialogs() { return &m_dialogs; }

    /// Stores @p count texts, a link and a video, and lists them.
    Q_INVOKABLE void fill(int count)
    {
        auto *store = DataBaseCenter::sharedInstance();
        auto link = QuickTransferObject::create();
        link->type = QuickTransferTypeLink;
        link->url = u"https://example.org"_s;
        store->saveQuickTransfer(link.data());
        auto video = QuickTransferObject::createWithPath(u"/v/clip.mp4"_s);
        video->size = 100;
        store->saveQuickTransfer(video.data());
        for (const auto &text : texts(count))
            store->saveQuickTransfer(text.data());
        m_main->refreshQuickTransferList();
    }
    /// Lists @p count texts of every script, some very long, without storing them.
    Q_INVOKABLE void fillRows(int count) { m_main->listModel()->setRecords(texts(count, true), 0); }
    /// Empties the store and puts the screen back to all rows, outside selection mode.
    Q_INVOKABLE void reset()
    {
        auto *store = DataBaseCenter::sharedInstance();
        QList<quint64> ids;
        for (const auto &r : store->getQuickTransfer())
            ids << r->identifier;
        store->deleteQuickTransferByIdArray(ids);
        m_main->setEditing(false);
        m_main->setFilterMenuOpen(false);
        m_main->endFallDownSendButton();
        m_main->showAllQuickTransferWithoutFilter();
        m_main->refreshQuickTransferList();
        while (m_dialogs.kind() != DialogCenter::None)
            m_dialogs.choose(0);
    }
    Q_INVOKABLE TextViewController *textScreen(const QString &text)
    {
        return new TextViewController(text, this);
    }

private:
    static QList<QuickTransferObjectPtr> texts(int count, bool withIds = false)
    {
        QList<QuickTransferObjectPtr> records;
        for (int i = 0; i < count; ++i) {
            auto text = QuickTransferObject::create();
            text->type = QuickTransferTypeText;
            text->identifier = withIds ? quint64(count - i) : 0;
            text->dt = i % 3 == 0              ? u"مرحبا بالعالم 👋 %1"_s.arg(i)
                       : i % 3 == 1 && withIds ? QString(10000, u'长')
                                               : u"文本 %1"_s.arg(i);
            records << text;
        }
        return records;
    }

    TestCore m_core;
    ToastCenter m_toasts;
    DialogCenter m_dialogs;
    std::unique_ptr<MainViewController> m_main;
};

class Setup : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void applicationAvailable() { QmlWarnings::failOnWarnings(); }
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        m_fixture = QmlWarnings::publishFixture<Fixture>(engine);
        engine->addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                                 m_fixture->main()->listModel()->createImageProvider());
    }
    void cleanupTestCase() { m_fixture.reset(); }

private:
    std::unique_ptr<Fixture> m_fixture;
};

QUICK_TEST_MAIN_WITH_SETUP(home_views, Setup)
#include "tst_home_views.moc"
