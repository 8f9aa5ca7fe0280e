#include "DataBaseCenter.h"
#include "DialogCenter.h"
#include "FakePlatform.h"
#include "MainViewController.h"
#include "NotificationNames.h"
#include "QuickTransferListModel.h"
#include "RuntimeState.h"
#include "SerialQueue.h"
#include "ShareTextStringActionSheet.h"
#include "SqliteDatabase.h"
#include "TestCore.h"
#include "TestServices.h"
#include "TextViewController.h"
#include "ToastCenter.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Model = QuickTransferListModel;

namespace {

QuickTransferObjectPtr file(quint64 type, const QString &path = {}, quint64 size = 0,
                            quint64 finished = 0, quint64 firstId = 0, quint64 id = 0)
{
    auto r = QuickTransferObject::create();
    r->type = type;
    r->path = path;
    r->size = size;
    r->finishedSize = finished;
    r->first_id = firstId;
    r->identifier = id;
    return r;
}

QVariant role(const QAbstractItemModel &model, int row, int role)
{
    return model.data(model.index(row, 0), role);
}

} // namespace

// The main list: its rows and groups; the main screen's loading, selection, deletion and row taps
// over a real store opened on the "initQueue"; the text screen's blocks and its share sheet.
class TestMainList : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<DialogCenter> m_dialogs;
    std::unique_ptr<MainViewController> m_main;
    struct Gate
    {
        QSemaphore reached, open;
    };
    QList<std::shared_ptr<Gate>> m_gates;

    Model &model() { return *m_main->listModel(); }
    DataBaseCenter *store() { return DataBaseCenter::sharedInstance(); }
    SerialQueue *initQueue() { return m_core->core->queue(u"initQueue"_s); }
    QString downloadPath(const QuickTransferObjectPtr &r) { return r->downloadPath(lib()); }
    QString lib() { return m_core->library(); }
    // Holds the "initQueue" from here until the gate opens (at the latest when the test ends).
    std::shared_ptr<Gate> hold()
    {
        auto gate = m_gates.emplace_back(std::make_shared<Gate>());
        initQueue()->dispatch([gate] {
            gate->reached.release();
            gate->open.acquire();
        });
        return gate;
    }

    // The services and the store as the start-up makes them, then the main screen.
    void start()
    {
        createServices(*m_core, false);
        initQueue()->dispatch([this] { store()->open(); });
        m_toasts = std::make_unique<ToastCenter>();
        m_dialogs = std::make_unique<DialogCenter>();
        m_main = std::make_unique<MainViewController>(m_core->hub(), m_core->core->runtimeState(),
                                                      &m_core->core->userDefaults(), m_toasts.get(),
                                                      m_dialogs.get(), lib());
        new QAbstractItemModelTester(m_main->listModel(),
                                     QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_main.get());
    }
    quint64 save(const QuickTransferObjectPtr &r)
    {
        r->applyLocalFileNameRule();
        return store()->saveQuickTransfer(r.data()) ? r->identifier : 0;
    }
    QuickTransferObjectPtr savedText(const QString &text)
    {
        auto r = file(QuickTransferTypeText);
        r->dt = text;
        save(r);
        return r;
    }
    // A local file for @p r named by @p md5, holding @p bytes.
    void writeFile(const QuickTransferObjectPtr &r, char md5, const QByteArray &bytes)
    {
        r->md5 = QString(32, QLatin1Char(md5));
        r->applyLocalFileNameRule();
        QDir().mkpath(QFileInfo(downloadPath(r)).path());
        QFile f(downloadPath(r));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(bytes) == bytes.size());
        f.close();
        r->size = r->finishedSize = QFileInfo(downloadPath(r)).size();
    }
    int rowOf(quint64 id)
    {
        for (int i = 0; i < model().recordRowCount(); ++i)
            if (model().headAt(i)->identifier == id)
                return i;
        return -1;
    }
    void selectAndDelete(quint64 id)
    {
        m_main->edit();
        m_main->tappedRowContent(rowOf(id));
        m_main->deleteSelected();
        m_dialogs->choose(1);
    }

private Q_SLOTS:
    void init()
    {
        m_core = std::make_unique<TestCore>();
        start();
    }
    void cleanup()
    {
        for (const auto &gate : std::exchange(m_gates, {}))
            gate->open.release();
        m_main.reset();
        m_dialogs.reset();
        m_toasts.reset();
        m_core.reset();
    }

    // Images group under their first, newest first; a huge text gives a title of bounded length.
    void rowsGroupImages()
    {
        Model list(nullptr, nullptr);
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QList<QuickTransferObjectPtr> records{file(QuickTransferTypeLink, {}, 0, 0, 0, 13),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 10, 12),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 10, 11),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 0, 10)};
        list.setRecords(records, 0);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(role(list, 1, Model::KindRole).toString(), u"imageGroup"_s);
        QList<quint64> group;
        for (const auto &r : list.groupAt(1))
            group << r->identifier;
        QCOMPARE(group, (QList<quint64>{12, 11, 10}));
        auto huge = file(QuickTransferTypeText);
        huge->dt = QString(1024 * 1024, u'字');
        list.setRecords({huge}, 0);
        QCOMPARE(role(list, 0, Model::TitleRole).toString().size(), Model::RowTextLimit);
    }

    void listFillsOffTheMainThread()
    {
        savedText(u"一"_s);
        initQueue()->waitUntilIdle();
        const auto first = hold();
        m_main->viewDidLoad();
        // The read waits behind the held queue: the main thread reads nothing itself.
        QTest::qWait(50);
        QVERIFY(!m_main->isLoaded());
        const auto second = hold();
        first->open.release();
        second->reached.acquire();
        // The first read is done; a record stored now and the refresh it asks for are not lost
        // behind the first read's answer.
        auto later = savedText(u"二"_s);
        m_core->hub()->post(Notifications::RefreshQuickTransferList);
        QTest::qWait(50);
        second->open.release();
        QTRY_COMPARE(model().recordRowCount(), 2);
        QVERIFY(m_main->isLoaded());
        QCOMPARE(model().headAt(0)->identifier, later->identifier);
    }

    // The rest is added after the first page's rows, without a second reset.
    void newestPageFirstThenTheRest()
    {
        const int stored = MainViewController::FirstPage + 20;
        QuickTransferObjectPtr newest;
        for (int i = 0; i < stored; ++i)
            newest = savedText(QString::number(i));
        initQueue()->waitUntilIdle();
        QList<int> shown;
        QObject watch;
        auto count = [&] { shown << model().recordRowCount(); };
        connect(&model(), &QAbstractItemModel::modelReset, &watch, count);
        connect(&model(), &QAbstractItemModel::rowsInserted, &watch, count);
        m_main->viewDidLoad();
        QTRY_COMPARE(shown.value(shown.size() - 1), stored);
        QCOMPARE(shown.first(), MainViewController::FirstPage);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(model().headAt(0)->identifier, newest->identifier);
    }

    void readBeforeADeletionDoesNotBringItsRowsBack()
    {
        const auto kept = savedText(u"留"_s);
        const auto gone = savedText(u"删"_s);
        m_main->refreshQuickTransferList();
        const auto first = hold();
        m_core->hub()->post(Notifications::RefreshQuickTransferList);
        const auto second = hold();
        first->open.release();
        second->reached.acquire();
        selectAndDelete(gone->identifier);
        QCOMPARE(m_toasts->title(), u"删除成功"_s);
        QCOMPARE(model().recordRowCount(), 1);
        // The answer of the read made before the deletion arrives now.
        second->open.release();
        initQueue()->waitUntilIdle();
        QTest::qWait(50);
        QCOMPARE(model().recordRowCount(), 1);
        QCOMPARE(model().headAt(0)->identifier, kept->identifier);
    }

    void storeThatFailsToOpenListsNothing()
    {
        cleanup();
        m_core = std::make_unique<TestCore>();
        // Where the store's folder should be lies a file.
        QFile blocker(QDir(m_core->library()).filePath(u"db"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        start();
        m_main->viewDidLoad();
        QTRY_VERIFY(m_main->isLoaded());
        QVERIFY(m_main->isEmpty());
        m_main->edit();
        QVERIFY(!m_main->isEditing());
        m_main->refreshQuickTransferList();
        QVERIFY(m_main->isEmpty());
    }

    // A deletion the store refuses once said "删除成功" and cancelled the records' downloads;
    // one it takes cancels the downloads of a whole group and removes its files.
    void deletionOfAGroupAndOneTheStoreRefuses()
    {
        auto head = file(QuickTransferTypeImage, u"/p/a.png"_s);
        writeFile(head, 'a', "png");
        const quint64 a = save(head);
        auto b = file(QuickTransferTypeImage, u"/p/b.png"_s, 10, 5, a);
        auto c = file(QuickTransferTypeImage, u"/p/c.png"_s, 10, 5, a);
        QVERIFY(save(b) > 0 && save(c) > 0);
        savedText(u"保留"_s);
        m_main->refreshQuickTransferList();
        NotificationRecorder rec(m_core->hub(), {Notifications::CancelDownloadFile});
        SqliteDatabase other;
        QVERIFY(other.open(QDir(lib()).filePath(u"db/db.sqlite"_s)));
        // Another writer holds the store: the deletion finds it locked.
        QVERIFY(other.executeUpdateOnce(u"BEGIN IMMEDIATE"_s));
        selectAndDelete(a);
        QCOMPARE(m_toasts->title(), u"删除失败"_s);
        QCOMPARE(rec.count(Notifications::CancelDownloadFile), 0);
        QCOMPARE(model().recordRowCount(), 2);
        QVERIFY(QFile::exists(downloadPath(head)));
        QVERIFY(other.executeUpdateOnce(u"ROLLBACK"_s));
        QCOMPARE(store()->getQuickTransfer().size(), 4);

        selectAndDelete(a);
        QCOMPARE(model().recordRowCount(), 1);
        QVERIFY(!m_main->isEditing());
        QStringList ids =
            rec.last(Notifications::CancelDownloadFile).value(u"idArray"_s).toStringList();
        ids.sort();
        QCOMPARE(ids, (QStringList{QString::number(a), QString::number(b->identifier),
                                   QString::number(c->identifier)}));
        QVERIFY(!QFile::exists(downloadPath(head)));
        QCOMPARE(store()->getQuickTransfer().size(), 1);
    }

    // A download's progress changes its row in place (no reset); a group's is all its bytes over
    // all its sizes; a finished row shows its size again.
    void progressChangesRowsInPlace()
    {
        auto doc = file(QuickTransferTypeDocument, u"/a/b.pdf"_s, 1000, 0);
        const quint64 head = save(file(QuickTransferTypeImage, u"/p/1.png"_s, 500, 500));
        auto second = file(QuickTransferTypeImage, u"/p/2.png"_s, 500, 0, head);
        QVERIFY(save(doc) > 0 && save(second) > 0);
        m_main->refreshQuickTransferList();
        QSignalSpy reset(&model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
        // The download manager moves its own copy; the registry mirrors it into the list's.
        const auto progress = [this](const QuickTransferObjectPtr &r, quint64 bytes, bool done) {
            r->finishedSize = bytes;
            const QVariantMap info{{u"object"_s, QVariant::fromValue(r)}};
            m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData, info);
            m_core->hub()->post(done ? Notifications::DownloadFileFinished
                                     : Notifications::DownloadFileReceivedData,
                                info);
        };
        const auto shown = [this](quint64 id, int r) { return role(model(), rowOf(id), r); };
        progress(doc, 450, false);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), rowOf(doc->identifier));
        QCOMPARE(shown(doc->identifier, Model::SubtitleRole).toString(), u"正在下载... 45.0%"_s);
        progress(second, 250, false);
        QCOMPARE(changed.last().at(0).toModelIndex().row(), rowOf(head));
        QCOMPARE(shown(head, Model::ProgressRole).toDouble(), 0.25);
        progress(doc, 1000, true);
        QCOMPARE(shown(doc->identifier, Model::ProgressRole).toDouble(), 0.0);
        QCOMPARE(shown(doc->identifier, Model::SubtitleRole).toString(), u"1.0KB"_s);
        QCOMPARE(reset.count(), 0);
    }

    void rowTapsOpenTheirScreens()
    {
        auto link = file(QuickTransferTypeLink);
        link->url = u"https://example.org/page"_s;
        auto text = file(QuickTransferTypeText);
        text->dt = u"你好"_s;
        auto empty = file(QuickTransferTypeText);
        auto video = file(QuickTransferTypeVideo, u"/v/clip.mp4"_s, 100, 40);
        auto music = file(QuickTransferTypeMusic, u"/m/song.mp3"_s);
        writeFile(music, 'd', "mp3");
        auto doc = file(QuickTransferTypeDocument, u"/d/half.pdf"_s, 100, 10);
        auto image = file(QuickTransferTypeImage, u"/p/x.png"_s, 10, 0);
        m_core->core->runtimeState()->setApi(u"http://10.0.0.1:8360/"_s);
        QSignalSpy web(m_main.get(), &MainViewController::openWebPage);
        QSignalSpy texts(m_main.get(), &MainViewController::openText);
        QSignalSpy play(m_main.get(), &MainViewController::playMedia);
        QSignalSpy viewer(m_main.get(), &MainViewController::openPictureViewer);
        QSignalSpy preview(m_main.get(), &MainViewController::previewFile);
        for (const auto &r : {link, text, empty, video, music, doc, image})
            QVERIFY(save(r) > 0);
        m_main->refreshQuickTransferList();
        for (const auto &r : {link, text, empty, video, music, doc, image})
            m_main->tappedRowContent(rowOf(r->identifier));

        QCOMPARE(web.first(), (QVariantList{QUrl(link->url), true}));
        QCOMPARE(texts.count(), 1);
        QCOMPARE(texts.first().at(0).toString(), u"你好"_s);
        // The incomplete video streams from the PC; the complete music plays from the phone.
        QCOMPARE(play.count(), 2);
        QVERIFY(play.first().at(0).toUrl().toString().startsWith(u"http://10.0.0.1:8360/pc/"_s));
        QCOMPARE(play.first().mid(1), (QVariantList{u"clip.mp4"_s, true}));
        QCOMPARE(play.last(),
                 (QVariantList{QUrl::fromLocalFile(downloadPath(music)), u"song.mp3"_s, false}));
        QCOMPARE(preview.count(), 0);
        QCOMPARE(m_toasts->title(), u"文件下载完毕才能预览"_s);
        QCOMPARE(viewer.count(), 1);
        QCOMPARE(viewer.first().at(0).value<QList<QuickTransferObjectPtr>>().size(), 1);
    }

    // A long text is cut into blocks never inside a character, and the blocks put together give
    // the text back.
    void longTextsComeInBlocks()
    {
        const QString emoji = QString(u"👋"_s).repeated(3000);
        TextViewController wide(emoji);
        QCOMPARE(wide.blocks().join(QString()), emoji);
        for (const QString &block : wide.blocks())
            QVERIFY(!block.back().isHighSurrogate());
    }

    void sharingEndsWithItsToast_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("can");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("toast");
        QTest::newRow("no mail") << 1 << false << 0 << u"未配置邮件地址，不能发送邮件"_s;
        QTest::newRow("message sent") << 0 << true << int(Composer::Result::Sent) << u"发送成功"_s;
        QTest::newRow("mail failed") << 1 << true << int(Composer::Result::Failed) << u"发送失败"_s;
        QTest::newRow("sheet cancelled") << 2 << true << 0 << QString();
    }
    void sharingEndsWithItsToast()
    {
        QFETCH(int, button);
        QFETCH(bool, can);
        QFETCH(int, result);
        QFETCH(QString, toast);
        FakeComposer composer;
        composer.mail = composer.text = can;
        composer.result = Composer::Result(result);
        ShareTextStringActionSheet sheet(m_dialogs.get(), m_toasts.get(), &composer);
        QSignalSpy finished(&sheet, &ShareTextStringActionSheet::finished);
        sheet.showShareTextStringActionSheet(u"https://example.org"_s);
        m_dialogs->choose(button);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(m_toasts->isToastVisible(), !toast.isEmpty());
        if (!toast.isEmpty())
            QCOMPARE(m_toasts->title(), toast);
        const QStringList sent{u"https://example.org"_s};
        QCOMPARE(composer.texts, can && button == 0 ? sent : QStringList());
        QCOMPARE(composer.mails, can && button == 1 ? sent : QStringList());
        // Another user of the composer is not answered by the sheet.
        Q_EMIT composer.mailFinished(Composer::Result::Failed);
        QCOMPARE(finished.count(), 1);
    }
};

QTEST_MAIN(TestMainList)
#include "tst_mainlist.moc"
