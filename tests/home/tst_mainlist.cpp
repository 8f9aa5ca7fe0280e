#include "DataBaseCenter.h"
#include "DeviceInfoCenter.h"
#include "DialogCenter.h"
#include "MainViewController.h"
#include "NotificationNames.h"
#include "QuickTransferListModel.h"
#include "RuntimeState.h"
#include "SerialQueue.h"
#include "SqliteDatabase.h"
#include "TestCore.h"
#include "TestServices.h"
#include "ToastCenter.h"
#include "Utils.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQuickImageProvider>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

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

// The main list: its rows and what they show, progress, pictures; the main screen's loading,
// filter, selection, deletion and row taps over a real store opened on the "initQueue".
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

    QuickTransferListModel &model() { return *m_main->listModel(); }
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
    // A local file for @p r named by @p md5, holding @p bytes (a picture when empty).
    void writeFile(const QuickTransferObjectPtr &r, const QString &md5, const QByteArray &bytes)
    {
        r->md5 = md5;
        r->applyLocalFileNameRule();
        QDir().mkpath(QFileInfo(downloadPath(r)).path());
        if (bytes.isEmpty()) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::red);
            QVERIFY(image.save(downloadPath(r), "PNG"));
        } else {
            QFile f(downloadPath(r));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        r->size = r->finishedSize = QFileInfo(downloadPath(r)).size();
    }
    int rowOf(quint64 id)
    {
        for (int i = 0; i < model().recordRowCount(); ++i)
            if (model().headAt(i)->identifier == id)
                return i;
        return -1;
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

    void rowsGroupImagesAndFilter()
    {
        QuickTransferListModel list(nullptr, nullptr);
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QList<QuickTransferObjectPtr> records{file(QuickTransferTypeLink, {}, 0, 0, 0, 13),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 10, 12),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 10, 11),
                                                    file(QuickTransferTypeImage, {}, 0, 0, 0, 10)};
        list.setRecords(records, 0);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(role(list, 0, QuickTransferListModel::TitleRole).toString(), u"无标题"_s);
        QCOMPARE(role(list, 1, QuickTransferListModel::KindRole).toString(), u"imageGroup"_s);
        QList<quint64> group;
        for (const auto &r : list.groupAt(1))
            group << r->identifier;
        QCOMPARE(group, (QList<quint64>{12, 11, 10}));
        QCOMPARE(role(list, 1, QuickTransferListModel::CountTextRole).toString(), u"3张"_s);
        QCOMPARE(role(list, 1, QuickTransferListModel::PicturesRole).toList().size(), 3);
        QCOMPARE(role(list, 2, QuickTransferListModel::KindRole).toString(), u"spacer"_s);
        list.setRecords(records, QuickTransferTypeLink);
        QCOMPARE(list.headAt(0)->identifier, 13u);
        list.setRecords(records, QuickTransferTypeImage);
        QCOMPARE(list.groupAt(0).size(), 3);
        // A group of two shows its two pictures, without a count.
        list.setRecords({records[1], records[3]}, 0);
        QCOMPARE(role(list, 0, QuickTransferListModel::CountTextRole).toString(), QString());
        QCOMPARE(role(list, 0, QuickTransferListModel::PicturesRole).toList().size(), 2);
        // The rest of a list whose first rows are shown is added after them.
        QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
        list.setRecords(records.mid(0, 1), 0);
        list.setRecords(records, 0);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(list.groupAt(1).size(), 3);
    }

    void longTextsStayBounded()
    {
        QuickTransferListModel list(nullptr, nullptr);
        auto huge = file(QuickTransferTypeText, {}, 0, 0, 0, 1);
        huge->dt = QString(1024 * 1024, u'字');
        auto rtl = file(QuickTransferTypeText, {}, 0, 0, 0, 2);
        rtl->dt = u"مرحبا بالعالم 👋🏽 שלום"_s;
        list.setRecords({huge, rtl}, 0);
        QCOMPARE(role(list, 0, QuickTransferListModel::TitleRole).toString().size(),
                 QuickTransferListModel::RowTextLimit);
        QVERIFY(role(list, 0, QuickTransferListModel::RowHeightRole).toInt() <= 134);
        QVERIFY(role(list, 1, QuickTransferListModel::RowHeightRole).toInt() >= 39);
    }

    void progressChangesRowsInPlace()
    {
        auto doc = file(QuickTransferTypeDocument, u"/a/b.pdf"_s, 1000, 0);
        const quint64 head = save(file(QuickTransferTypeImage, u"/p/1.png"_s, 500, 500));
        auto second = file(QuickTransferTypeImage, u"/p/2.png"_s, 500, 0, head);
        QVERIFY(save(doc) > 0 && save(second) > 0);
        m_main->refreshQuickTransferList();
        const int docRow = rowOf(doc->identifier);
        const int groupRow = rowOf(head);

        QSignalSpy reset(&model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
        // The download manager moves its own copy; the registry mirrors it into the list's.
        auto progress = [this](const QuickTransferObjectPtr &r, quint64 bytes, bool done) {
            r->finishedSize = bytes;
            const QVariantMap info{{u"object"_s, QVariant::fromValue(r)}};
            m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData, info);
            m_core->hub()->post(done ? Notifications::DownloadFileFinished
                                     : Notifications::DownloadFileReceivedData,
                                info);
        };
        progress(doc, 450, false);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), docRow);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::SubtitleRole).toString(),
                 u"正在下载... 45.0%"_s);
        // A group's progress is all its bytes over all its sizes (the head has no file yet).
        progress(second, 250, false);
        QCOMPARE(changed.last().at(0).toModelIndex().row(), groupRow);
        QCOMPARE(role(model(), groupRow, QuickTransferListModel::ProgressRole).toDouble(), 0.25);
        progress(doc, 1000, true);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::ProgressRole).toDouble(), 0.0);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::SubtitleRole).toString(),
                 Utils::getSizeString(1000));
        QCOMPARE(reset.count(), 0);
    }

    void picturesOfCompleteImagesOnly()
    {
        auto shown = file(QuickTransferTypeImage, u"/p/red.png"_s);
        writeFile(shown, u"0123456789abcdef0123456789abcdef"_s, {});
        auto missing = file(QuickTransferTypeImage, u"/p/gone.png"_s, 10, 10);
        missing->md5 = u"fedcba9876543210fedcba9876543210"_s;
        auto damaged = file(QuickTransferTypeImage, u"/p/bad.png"_s);
        writeFile(damaged, u"00000000000000000000000000000001"_s, "not a picture");
        auto partial = file(QuickTransferTypeImage, u"/p/half.png"_s, 1000, 10);
        for (const auto &r : {shown, missing, damaged, partial})
            QVERIFY(save(r) > 0);
        m_main->refreshQuickTransferList();

        std::unique_ptr<QQuickImageProvider> provider(model().createImageProvider());
        auto picture = [this](const QuickTransferObjectPtr &r) {
            const int row = rowOf(r->identifier);
            return role(model(), row, QuickTransferListModel::PicturesRole).toList()[0].toString();
        };
        QTRY_VERIFY(!picture(shown).isEmpty());
        QSize size;
        const QImage image = provider->requestImage(
            picture(shown).mid(QStringLiteral("image://quicktransfer/").size()), &size, {});
        QCOMPARE(size, QSize(64, 48));
        QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
        // Missing, damaged and incomplete files show no picture, and their rows still act.
        QTest::qWait(200);
        for (const auto &r : {missing, damaged, partial})
            QCOMPARE(picture(r), QString());
        QSignalSpy viewer(m_main.get(), &MainViewController::openPictureViewer);
        m_main->tappedRowContent(rowOf(missing->identifier));
        QCOMPARE(viewer.count(), 1);
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
        m_main->edit();
        m_main->tappedRowContent(rowOf(gone->identifier));
        m_main->deleteSelected();
        m_dialogs->choose(1);
        QCOMPARE(m_toasts->title(), u"删除成功"_s);
        QCOMPARE(model().recordRowCount(), 1);
        // The answer of the read made before the deletion arrives now.
        QTest::qWait(50);
        QCOMPARE(model().recordRowCount(), 1);
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
        QCOMPARE(model().rowCount(), 1);
        m_main->edit();
        QVERIFY(!m_main->isEditing());
        m_main->refreshQuickTransferList();
        QVERIFY(m_main->isEmpty());
    }

    void filterMenuSwitchesTitlesAndRemembersTheRow()
    {
        for (int i = 0; i < 20; ++i)
            savedText(u"文本 %1"_s.arg(i));
        m_main->refreshQuickTransferList();

        QSignalSpy scroll(m_main.get(), &MainViewController::scrollToRow);
        m_main->setFirstVisibleRow(7);
        m_main->chooseFilter(6);
        QCOMPARE(m_main->title(), u"文本快传"_s);
        QCOMPARE(model().recordRowCount(), 20);
        QCOMPARE(scroll.takeFirst().at(0).toInt(), 0);
        m_main->setFirstVisibleRow(3);
        m_main->showAllQuickTransferWithoutFilter();
        QCOMPARE(m_main->title(), u"我的快传"_s);
        QCOMPARE(scroll.takeFirst().at(0).toInt(), 7);

        // A filter with no rows shows its empty picture; the active filter again changes nothing.
        m_main->chooseFilter(3);
        QVERIFY(m_main->isEmpty());
        QCOMPARE(m_main->emptyImage(), u"qt_no_quicktransfer1.png"_s);
        QSignalSpy titles(m_main.get(), &MainViewController::titleChanged);
        m_main->chooseFilter(3);
        QCOMPARE(titles.count(), 0);
    }

    void selectionAndDeletionOfAGroup()
    {
        auto head = file(QuickTransferTypeImage, u"/p/a.png"_s);
        writeFile(head, u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"_s, {});
        const quint64 a = save(head);
        auto b = file(QuickTransferTypeImage, u"/p/b.png"_s, 10, 5, a);
        auto c = file(QuickTransferTypeImage, u"/p/c.png"_s, 10, 5, a);
        QVERIFY(save(b) > 0);
        QVERIFY(save(c) > 0);
        savedText(u"保留"_s);
        m_main->refreshQuickTransferList();

        m_main->edit();
        // Nothing selected: the alert with one button.
        m_main->deleteSelected();
        QCOMPARE(m_dialogs->message(), u"您还没有选中任何记录"_s);
        m_dialogs->choose(0);
        m_main->selectAll();
        QCOMPARE(m_main->selectAllIcon(), u"qt_icon_all_selected.png"_s);
        QCOMPARE(m_main->selectedText(), u"已选 2 项"_s);
        m_main->selectAll();
        m_main->tappedRowIcon(rowOf(a));
        QVERIFY(role(model(), rowOf(a), QuickTransferListModel::SelectedRole).toBool());

        NotificationRecorder rec(m_core->hub(), {Notifications::CancelDownloadFile});
        m_main->deleteSelected();
        m_dialogs->choose(1);
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

    // A deletion the store refuses once said "删除成功" and cancelled the records' downloads.
    void deletionTheStoreRefusesKeepsEverything()
    {
        const auto kept = savedText(u"留下"_s);
        m_main->refreshQuickTransferList();
        SqliteDatabase other;
        QVERIFY(other.open(QDir(lib()).filePath(u"db/db.sqlite"_s)));
        // Another writer holds the store: the deletion finds it locked.
        QVERIFY(other.executeUpdateOnce(u"BEGIN IMMEDIATE"_s));
        NotificationRecorder rec(m_core->hub(), {Notifications::CancelDownloadFile});
        m_main->edit();
        m_main->tappedRowContent(rowOf(kept->identifier));
        m_main->deleteSelected();
        m_dialogs->choose(1);
        QCOMPARE(m_toasts->title(), u"删除失败"_s);
        QCOMPARE(rec.count(Notifications::CancelDownloadFile), 0);
        QCOMPARE(model().recordRowCount(), 1);
        QVERIFY(other.executeUpdateOnce(u"ROLLBACK"_s));
        QCOMPARE(store()->getQuickTransfer().size(), 1);
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
        writeFile(music, u"dddddddddddddddddddddddddddddddd"_s, "mp3");
        auto doc = file(QuickTransferTypeDocument, u"/d/half.pdf"_s, 100, 10);
        auto image = file(QuickTransferTypeImage, u"/p/x.png"_s, 10, 0);
        for (const auto &r : {link, text, empty, video, music, doc, image})
            QVERIFY(save(r) > 0);
        m_core->core->runtimeState()->setApi(u"http://10.0.0.1:8360/"_s);
        m_main->refreshQuickTransferList();

        QSignalSpy web(m_main.get(), &MainViewController::openWebPage);
        QSignalSpy texts(m_main.get(), &MainViewController::openText);
        QSignalSpy play(m_main.get(), &MainViewController::playMedia);
        QSignalSpy viewer(m_main.get(), &MainViewController::openPictureViewer);
        QSignalSpy preview(m_main.get(), &MainViewController::previewFile);
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

        const QVariantMap counts = DeviceInfoCenter::getStatisticsCounts();
        for (int key : {DeviceInfoCenter::StatOpenLink, DeviceInfoCenter::StatOpenText,
                        DeviceInfoCenter::StatPlayVideo, DeviceInfoCenter::StatPlayMusic,
                        DeviceInfoCenter::StatShowImage, DeviceInfoCenter::StatOpenDocument})
            QVERIFY2(counts.value(QString::number(key)).toInt() == 1,
                     qPrintable(QString::number(key)));
    }
};

QTEST_MAIN(TestMainList)
#include "tst_mainlist.moc"
