#include "AboutViewController.h"
#include "DataBaseCenter.h"
#include "DialogCenter.h"
#include "FakePlatform.h"
#include "FeedbackViewController.h"
#include "GuideController.h"
#include "IntroduceViewController.h"
#include "LoginViewController.h"
#include "MainViewController.h"
#include "MenuController.h"
#include "NavigationController.h"
#include "NotificationNames.h"
#include "QmlWarnings.h"
#include "QuickTransferAnimationViewController.h"
#include "QuickTransferListModel.h"
#include "QuickTransferRegistry.h"
#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"
#include "TestCore.h"
#include "TextViewController.h"
#include "ToastCenter.h"

#include <QDir>
#include <QImage>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)

using namespace Qt::StringLiterals;
using Panel = QuickTransferAnimationViewController;

// What the views are driven by in their tests: fresh controllers over a test core, the main
// screen over a store of its own; the fetch's answers played on the hub.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(NavigationController *navigation READ navigation CONSTANT)
    Q_PROPERTY(MenuController *menu READ menu CONSTANT)
    Q_PROPERTY(ToastCenter *toasts READ toasts CONSTANT)
    Q_PROPERTY(GuideController *guide READ guide CONSTANT)
    /// What the about screen copied last.
    Q_PROPERTY(QString clipboardText READ clipboardText)
    Q_PROPERTY(bool guideCompleted READ guideCompleted)
    Q_PROPERTY(QuickTransferAnimationViewController *panel READ panel NOTIFY panelChanged)
    Q_PROPERTY(QuickTransferListModel *pictures READ pictures CONSTANT)
    Q_PROPERTY(MainViewController *main READ main CONSTANT)
    Q_PROPERTY(DialogCenter *dialogs READ dialogs CONSTANT)
public:
    Fixture()
        : m_navigation(m_core.core->notificationCenter(), m_core.core->runtimeState()),
          m_menu(m_core.core->notificationCenter(), m_core.core->runtimeState(),
                 &m_core.core->userDefaults(), &m_navigation, &m_toasts)
    {
        auto *registry = m_core.make<QuickTransferRegistry>(*m_core.hub());
        m_core
            .make<DataBaseCenter>(*m_core.hub(), m_core.library(), registry,
                                  m_core.core->platform().folderAccess.get())
            ->open();
        m_main = std::make_unique<MainViewController>(m_core.hub(), m_core.core->runtimeState(),
                                                      &m_core.core->userDefaults(), &m_toasts,
                                                      &m_dialogs, m_core.library());
    }
    NavigationController *navigation() { return &m_navigation; }
    MenuController *menu() { return &m_menu; }
    ToastCenter *toasts() { return &m_toasts; }
    GuideController *guide() { return &m_guide; }
    Panel *panel() { return m_panel.get(); }
    QuickTransferListModel *pictures() { return &m_pictures; }
    MainViewController *main() { return m_main.get(); }
    DialogCenter *dialogs() { return &m_dialogs; }
    Q_INVOKABLE void showGuide() { m_guide.show(); }
    Q_INVOKABLE void post(const QString &notification) { m_core.hub()->post(notification); }
    Q_INVOKABLE void setCovered(bool covered)
    {
        m_core.core->runtimeState()->setIsMainViewCovered(covered);
    }
    bool guideCompleted() const { return m_core.core->isFirstLaunchGuideCompleted(); }
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
    Q_INVOKABLE TextViewController *textScreen(const QString &text)
    {
        return new TextViewController(text, this);
    }

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
        for (int i = 0; i < count; ++i) {
            auto text = QuickTransferObject::create();
            text->type = QuickTransferTypeText;
            text->dt = i % 3 == 0 ? u"مرحبا بالعالم 👋 %1"_s.arg(i) : u"文本 %1"_s.arg(i);
            store->saveQuickTransfer(text.data());
        }
        m_main->refreshQuickTransferList();
    }

    /// Empties the store and puts the main screen back: all rows, outside selection mode, the
    /// menu closed without animation.
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
        m_navigation.setOverlayOpen(false);
        m_core.core->runtimeState()->setIsMainViewCovered(false);
        if (m_navigation.offset() != 0)
            m_navigation.moveToMiddle();
    }
    Q_INVOKABLE void setStatus(int status)
    {
        m_core.core->runtimeState()->setStatus(quint64(status));
    }

    /// A new fetch while authorised: a new panel.
    Q_INVOKABLE void newPanel()
    {
        m_core.core->runtimeState()->setStatus(AppStatusAuthorized);
        m_core.core->runtimeState()->setPcName(u"书房"_s);
        m_panel = std::make_unique<Panel>(m_core.hub(), m_core.core->runtimeState(), &m_toasts,
                                          m_core.library());
        m_panel->setPictures(&m_pictures);
        Q_EMIT panelChanged();
    }
    /// The fetch's answer: a text.
    Q_INVOKABLE void arriveText(const QString &text)
    {
        auto record = QuickTransferObject::create();
        record->type = QuickTransferTypeText;
        record->dt = text;
        record->identifier = 1;
        arrive(record);
    }
    /// The fetch's answer: an image already on the phone, a picture or, when not @p readable,
    /// bytes that are none.
    Q_INVOKABLE void arriveImage(bool readable)
    {
        auto record = QuickTransferObject::createWithPath(u"C:/photos/sea.png"_s);
        record->md5 = QString(32, readable ? u'a' : u'b');
        record->applyLocalFileNameRule();
        record->identifier = readable ? 11 : 12;
        const QString file = record->downloadPath(m_core.library());
        QDir().mkpath(QFileInfo(file).absolutePath());
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) ||
            !(readable ? picture.save(&out, "PNG") : out.write(QByteArray(4000, 'Z')) == 4000))
            return;
        out.close();
        record->size = record->finishedSize = quint64(QFileInfo(file).size());
        arrive(record);
    }
    /// The fetch failed.
    Q_INVOKABLE void fail()
    {
        m_core.hub()->post(Notifications::GetQuickTransferFailed, {{u"isUnknown"_s, false}});
    }

Q_SIGNALS:
    void panelChanged();

private:
    void arrive(const QuickTransferObjectPtr &record)
    {
        m_core.hub()->post(Notifications::GetNewQuickTransfer,
                           {{u"object"_s, QVariant::fromValue(record)}});
    }

    TestCore m_core;
    ToastCenter m_toasts;
    DialogCenter m_dialogs;
    GuideController m_guide;
    NavigationController m_navigation;
    MenuController m_menu;
    SaveMemoryImageLoader m_loader{QSize(750, 1334), *m_core.core->runtimeState(),
                                   m_core.library()};
    QuickTransferListModel m_pictures{m_core.hub(), &m_loader};
    std::unique_ptr<MainViewController> m_main;
    std::unique_ptr<Panel> m_panel;
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
                                 m_fixture->pictures()->createImageProvider());
    }
    void cleanupTestCase() { m_fixture.reset(); }

private:
    std::unique_ptr<Fixture> m_fixture;
};

QUICK_TEST_MAIN_WITH_SETUP(shell_views, Setup)
#include "tst_shell_views.moc"
