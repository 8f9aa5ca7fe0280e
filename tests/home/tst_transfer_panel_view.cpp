#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QmlWarnings.h"
#include "QuickTransferAnimationViewController.h"
#include "QuickTransferListModel.h"
#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"
#include "TestCore.h"
#include "ToastCenter.h"

#include <QDir>
#include <QImage>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)

using namespace Qt::StringLiterals;

// What the transfer panel's view is driven by in its tests: a fresh panel over a test core,
// with the fetch's answers played on the hub and the downloads and deletions it asks for counted.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QuickTransferAnimationViewController *panel READ panel NOTIFY panelChanged)
    Q_PROPERTY(QuickTransferListModel *pictures READ pictures CONSTANT)
public:
    Fixture()
    {
        m_core.core->runtimeState()->setStatus(AppStatusAuthorized);
        m_core.core->runtimeState()->setPcName(u"书房"_s);
    }
    QuickTransferAnimationViewController *panel() { return m_panel.get(); }
    QuickTransferListModel *pictures() { return &m_pictures; }
    Q_INVOKABLE int downloads() const { return m_rec.count(Notifications::DoDownloadFile); }
    Q_INVOKABLE int deletions() const { return m_rec.count(Notifications::DeleteQuickTransfer); }

    /// A new fetch: a new panel, the counts back to 0.
    Q_INVOKABLE void newPanel()
    {
        m_panel = std::make_unique<QuickTransferAnimationViewController>(
            m_core.hub(), m_core.core->runtimeState(), &m_toasts, m_core.library());
        m_panel->setPictures(&m_pictures);
        m_rec.clear();
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
    /// The fetch's answer: a video of @p size bytes, not downloaded.
    Q_INVOKABLE void arriveVideo(double size)
    {
        auto record = QuickTransferObject::createWithPath(u"C:/films/holiday.mp4"_s);
        record->size = quint64(size);
        record->identifier = 7;
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
        if (!out.open(QIODevice::WriteOnly))
            return;
        if (readable)
            picture.save(&out, "PNG");
        else
            out.write(QByteArray(4000, 'Z'));
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
    NotificationRecorder m_rec{m_core.hub(),
                               {Notifications::DoDownloadFile, Notifications::DeleteQuickTransfer}};
    SaveMemoryImageLoader m_loader{QSize(750, 1334), *m_core.core->runtimeState(),
                                   m_core.library()};
    QuickTransferListModel m_pictures{m_core.hub(), &m_loader};
    std::unique_ptr<QuickTransferAnimationViewController> m_panel;
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

QUICK_TEST_MAIN_WITH_SETUP(transfer_panel_view, Setup)
#include "tst_transfer_panel_view.moc"
