#include "DataBaseCenter.h"
#include "DeviceInfoCenter.h"
#include "DialogCenter.h"
#include "MainViewController.h"
#include "NotificationNames.h"
#include "QuickTransferListModel.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "TestServices.h"
#include "ToastCenter.h"
#include "Utils.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQuickImageProvider>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QuickTransferObjectPtr record(quint64 id, quint64 type, quint64 firstId = 0)
{
    auto r = QuickTransferObject::create();
    r->identifier = id;
    r->type = type;
    r->first_id = firstId;
    return r;
}

QuickTransferObjectPtr file(quint64 type, const QString &path, quint64 size, quint64 finished,
                            quint64 firstId = 0)
{
    auto r = QuickTransferObject::create();
    r->type = type;
    r->path = path;
    r->size = size;
    r->finishedSize = finished;
    r->first_id = firstId;
    return r;
}

QVariant role(const QAbstractItemModel &model, int row, int role)
{
    return model.data(model.index(row, 0), role);
}

} // namespace

// The main list: its rows and what they show, progress, pictures; the main screen's filter,
// selection, deletion and row taps over a real store in a fresh Library folder.
class TestMainList : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<DialogCenter> m_dialogs;
    std::unique_ptr<MainViewController> m_main;

    QuickTransferListModel &model() { return *m_main->listModel(); }
    DataBaseCenter *store() { return DataBaseCenter::sharedInstance(); }
    QString qtFolder() { return m_core->core->libraryPath(u"qt"_s); }

    void makeMain()
    {
        m_toasts = std::make_unique<ToastCenter>();
        m_dialogs = std::make_unique<DialogCenter>();
        m_main = std::make_unique<MainViewController>(m_core->hub(), m_core->core->runtimeState(),
                                                      &m_core->core->userDefaults(), m_toasts.get(),
                                                      m_dialogs.get(), m_core->library());
        new QAbstractItemModelTester(m_main->listModel(),
                                     QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_main.get());
    }
    quint64 save(const QuickTransferObjectPtr &r)
    {
        r->applyLocalFileNameRule();
        if (!store()->saveQuickTransfer(r.data()))
            return 0;
        return r->identifier;
    }
    // A complete picture on disk for @p r.
    void writePicture(const QuickTransferObjectPtr &r, const QColor &colour)
    {
        QDir().mkpath(qtFolder());
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(r->downloadPath(m_core->library()), "PNG"));
        r->size = r->finishedSize = QFileInfo(r->downloadPath(m_core->library())).size();
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
        createServices(*m_core);
        makeMain();
    }
    void cleanup()
    {
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
        auto d = record(13, QuickTransferTypeText);
        d->dt = u"会议纪要"_s;
        const QList<QuickTransferObjectPtr> records{d, record(12, QuickTransferTypeImage, 10),
                                                    record(11, QuickTransferTypeImage, 10),
                                                    record(10, QuickTransferTypeImage)};
        list.setRecords(records, 0);
        QCOMPARE(list.recordRowCount(), 2);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(role(list, 0, QuickTransferListModel::KindRole).toString(), u"text"_s);
        QCOMPARE(role(list, 0, QuickTransferListModel::TitleRole).toString(), u"会议纪要"_s);
        QCOMPARE(role(list, 1, QuickTransferListModel::KindRole).toString(), u"imageGroup"_s);
        QList<quint64> group;
        for (const auto &r : list.groupAt(1))
            group << r->identifier;
        QCOMPARE(group, (QList<quint64>{12, 11, 10}));
        QCOMPARE(role(list, 1, QuickTransferListModel::CountTextRole).toString(), u"3张"_s);
        QCOMPARE(role(list, 1, QuickTransferListModel::PicturesRole).toList().size(), 3);
        QCOMPARE(role(list, 1, QuickTransferListModel::RowHeightRole).toInt(), 112);
        QCOMPARE(role(list, 1, QuickTransferListModel::IconRole).toString(),
                 u"qt_icon_image.png"_s);
        QCOMPARE(role(list, 2, QuickTransferListModel::KindRole).toString(), u"spacer"_s);
        QCOMPARE(role(list, 2, QuickTransferListModel::RowHeightRole).toInt(), 115);
        QCOMPARE(list.filterTypeAt(1), quint64(QuickTransferTypeImage));

        list.setRecords(records, QuickTransferTypeText);
        QCOMPARE(list.recordRowCount(), 1);
        QCOMPARE(list.headAt(0)->identifier, 13u);
        list.setRecords(records, QuickTransferTypeImage);
        QCOMPARE(list.recordRowCount(), 1);
        QCOMPARE(list.groupAt(0).size(), 3);
        list.setRecords(records, QuickTransferTypeVideo);
        QCOMPARE(list.recordRowCount(), 0);
        QCOMPARE(list.rowCount(), 1);

        // A group of two shows its two pictures at the pair's height, without a count.
        list.setRecords(
            {record(21, QuickTransferTypeImage, 20), record(20, QuickTransferTypeImage)}, 0);
        QCOMPARE(role(list, 0, QuickTransferListModel::RowHeightRole).toInt(), 149);
        QCOMPARE(role(list, 0, QuickTransferListModel::CountTextRole).toString(), QString());
        QCOMPARE(role(list, 0, QuickTransferListModel::PicturesRole).toList().size(), 2);
    }

    void rowsShowEachKind()
    {
        QuickTransferListModel list(nullptr, nullptr);
        auto link = record(1, QuickTransferTypeLink);
        link->url = u"https://example.org/a"_s;
        auto folder = record(2, QuickTransferTypeFolder);
        auto doc = file(QuickTransferTypeDocument, u"D:\\报告\\年度总结.docx"_s, 1536 * 1024, 0);
        doc->identifier = 3;
        auto video = file(QuickTransferTypeVideo, u"/movies/trip.mp4"_s, 1000, 1000);
        video->identifier = 4;
        video->url = u"http://10.0.0.1/pc/movies/trip.mp4"_s;
        auto music = file(QuickTransferTypeMusic, u"/music/song.mp3"_s, 2048, 2048);
        music->identifier = 5;
        list.setRecords({link, folder, doc, video, music}, 0);
        QCOMPARE(role(list, 0, QuickTransferListModel::TitleRole).toString(), u"无标题"_s);
        QCOMPARE(role(list, 0, QuickTransferListModel::SubtitleRole).toString(), link->url);
        QCOMPARE(role(list, 0, QuickTransferListModel::RowHeightRole).toInt(), 75);
        QCOMPARE(role(list, 1, QuickTransferListModel::TitleRole).toString(), u"资源管理器"_s);
        QCOMPARE(role(list, 2, QuickTransferListModel::TitleRole).toString(), u"年度总结.docx"_s);
        QCOMPARE(role(list, 2, QuickTransferListModel::SubtitleRole).toString(),
                 Utils::getSizeString(doc->size));
        QCOMPARE(role(list, 2, QuickTransferListModel::IconRole).toString(), u"qt_icon_doc.png"_s);
        QCOMPARE(role(list, 3, QuickTransferListModel::DetailRole).toString(), video->url);
        QCOMPARE(role(list, 3, QuickTransferListModel::RowHeightRole).toInt(), 210);
        QCOMPARE(role(list, 4, QuickTransferListModel::RowHeightRole).toInt(), 103);
        QCOMPARE(role(list, 4, QuickTransferListModel::TitleRole).toString(), u"song.mp3"_s);
    }

    void longTextsStayBounded()
    {
        QuickTransferListModel list(nullptr, nullptr);
        auto huge = record(1, QuickTransferTypeText);
        huge->dt = QString(1024 * 1024, u'字');
        auto word = record(2, QuickTransferTypeText);
        word->dt = QString(10000, u'a');
        auto rtl = record(3, QuickTransferTypeText);
        rtl->dt = u"مرحبا بالعالم 👋🏽 שלום"_s;
        list.setRecords({huge, word, rtl}, 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(role(list, 0, QuickTransferListModel::RowHeightRole).toInt(), 134);
        QVERIFY(role(list, 1, QuickTransferListModel::RowHeightRole).toInt() <= 134);
        QVERIFY(role(list, 2, QuickTransferListModel::RowHeightRole).toInt() >= 39);
        QVERIFY2(timer.elapsed() < 2000, "measuring a 1 MB text must not take seconds");
        QCOMPARE(role(list, 0, QuickTransferListModel::TitleRole).toString().size(),
                 QuickTransferListModel::RowTextLimit);
    }

    void progressChangesRowsInPlace()
    {
        auto doc = file(QuickTransferTypeDocument, u"/a/b.pdf"_s, 1000, 0);
        QVERIFY(save(doc) > 0);
        auto first = file(QuickTransferTypeImage, u"/p/1.png"_s, 500, 500);
        const quint64 head = save(first);
        auto second = file(QuickTransferTypeImage, u"/p/2.png"_s, 500, 0, head);
        QVERIFY(save(second) > 0);
        m_main->refreshQuickTransferList();
        QCOMPARE(model().recordRowCount(), 2);
        const int docRow = rowOf(doc->identifier);
        const int groupRow = rowOf(head);

        QSignalSpy reset(&model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
        // The download manager moves its own copy; the registry mirrors it into the list's.
        doc->finishedSize = 450;
        m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(doc)}});
        m_core->hub()->post(Notifications::DownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(doc)}});
        QCOMPARE(reset.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), docRow);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::SubtitleRole).toString(),
                 u"正在下载... 45.0%"_s);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::ProgressRole).toDouble(), 0.45);

        // A group's progress is all its bytes over all its sizes (the head has no file yet).
        second->finishedSize = 250;
        m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(second)}});
        m_core->hub()->post(Notifications::DownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(second)}});
        QCOMPARE(changed.last().at(0).toModelIndex().row(), groupRow);
        QCOMPARE(role(model(), groupRow, QuickTransferListModel::ProgressRole).toDouble(), 0.25);

        // Complete: the overlay goes and the size text is back.
        doc->finishedSize = 1000;
        m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(doc)}});
        m_core->hub()->post(Notifications::DownloadFileFinished,
                            {{u"object"_s, QVariant::fromValue(doc)}});
        QCOMPARE(role(model(), docRow, QuickTransferListModel::ProgressRole).toDouble(), 0.0);
        QCOMPARE(role(model(), docRow, QuickTransferListModel::SubtitleRole).toString(),
                 Utils::getSizeString(1000));
        QCOMPARE(reset.count(), 0);
    }

    void picturesOfCompleteImagesOnly()
    {
        auto shown = file(QuickTransferTypeImage, u"/p/red.png"_s, 0, 0);
        shown->md5 = u"0123456789abcdef0123456789abcdef"_s;
        shown->applyLocalFileNameRule();
        writePicture(shown, Qt::red);
        QVERIFY(save(shown) > 0);
        auto missing = file(QuickTransferTypeImage, u"/p/gone.png"_s, 10, 10);
        missing->md5 = u"fedcba9876543210fedcba9876543210"_s;
        QVERIFY(save(missing) > 0);
        auto damaged = file(QuickTransferTypeImage, u"/p/bad.png"_s, 10, 10);
        damaged->md5 = u"00000000000000000000000000000001"_s;
        damaged->applyLocalFileNameRule();
        QFile bad(damaged->downloadPath(m_core->library()));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
        bad.close();
        QVERIFY(save(damaged) > 0);
        auto partial = file(QuickTransferTypeImage, u"/p/half.png"_s, 1000, 10);
        QVERIFY(save(partial) > 0);
        m_main->refreshQuickTransferList();

        std::unique_ptr<QQuickImageProvider> provider(model().createImageProvider());
        QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
        for (int row = 0; row < model().recordRowCount(); ++row)
            QCOMPARE(role(model(), row, QuickTransferListModel::PicturesRole).toList().size(), 1);
        const int shownRow = rowOf(shown->identifier);
        QTRY_VERIFY(!role(model(), shownRow, QuickTransferListModel::PicturesRole)
                         .toList()
                         .first()
                         .toString()
                         .isEmpty());
        const QString address = role(model(), shownRow, QuickTransferListModel::PicturesRole)
                                    .toList()
                                    .first()
                                    .toString();
        QVERIFY(address.startsWith(u"image://quicktransfer/"_s));
        QSize size;
        const QImage image = provider->requestImage(
            address.mid(QStringLiteral("image://quicktransfer/").size()), &size, {});
        QCOMPARE(size, QSize(64, 48));
        QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
        // Missing, damaged and incomplete files show no picture, and their rows still act.
        QTest::qWait(200);
        for (auto id : {missing->identifier, damaged->identifier, partial->identifier}) {
            const int row = rowOf(id);
            QCOMPARE(role(model(), row, QuickTransferListModel::PicturesRole).toList().first(),
                     QVariant(QString()));
        }
        QSignalSpy viewer(m_main.get(), &MainViewController::openPictureViewer);
        m_main->tappedRowContent(rowOf(missing->identifier));
        QCOMPARE(viewer.count(), 1);
    }

    void storeThatFailsToOpenListsNothing()
    {
        m_main.reset();
        m_core = std::make_unique<TestCore>();
        // Where the store's folder should be lies a file.
        QFile blocker(QDir(m_core->library()).filePath(u"db"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        createServices(*m_core);
        makeMain();
        m_main->viewDidLoad();
        QVERIFY(m_main->isEmpty());
        QCOMPARE(model().rowCount(), 1);
        m_main->edit();
        QVERIFY(!m_main->isEditing());
        m_core->hub()->post(Notifications::RefreshQuickTransferList);
        QVERIFY(m_main->isEmpty());
    }

    void filterMenuSwitchesTitlesAndRemembersTheRow()
    {
        for (int i = 0; i < 20; ++i) {
            auto text = record(0, QuickTransferTypeText);
            text->dt = u"文本 %1"_s.arg(i);
            QVERIFY(save(text) > 0);
        }
        auto video = file(QuickTransferTypeVideo, u"/v/a.mp4"_s, 100, 0);
        QVERIFY(save(video) > 0);
        m_main->refreshQuickTransferList();
        QCOMPARE(m_main->filterEntries().size(), 7);
        QCOMPARE(m_main->filterEntries().at(3).toMap().value(u"icon"_s).toString(),
                 u"main_popover_url.png"_s);
        QCOMPARE(m_main->title(), u"我的快传"_s);

        QSignalSpy scroll(m_main.get(), &MainViewController::scrollToRow);
        m_main->setFirstVisibleRow(7);
        m_main->setFilterMenuOpen(true);
        m_main->chooseFilter(6);
        QVERIFY(!m_main->isFilterMenuOpen());
        QCOMPARE(m_main->title(), u"文本快传"_s);
        QVERIFY(m_main->isFiltered());
        QCOMPARE(model().recordRowCount(), 20);
        QCOMPARE(scroll.takeFirst().at(0).toInt(), 0);
        m_main->setFirstVisibleRow(3);
        m_main->showAllQuickTransferWithoutFilter();
        QCOMPARE(m_main->title(), u"我的快传"_s);
        QCOMPARE(scroll.takeFirst().at(0).toInt(), 7);

        // The icon of a video row filters videos; the empty pictures follow the filter.
        m_main->tappedRowIcon(rowOf(video->identifier));
        QCOMPARE(m_main->title(), u"视频快传"_s);
        QCOMPARE(m_main->emptyImage(), u"qt_no_quicktransfer0.png"_s);
        m_main->chooseFilter(3);
        QVERIFY(m_main->isEmpty());
        QCOMPARE(m_main->emptyImage(), u"qt_no_quicktransfer1.png"_s);
        m_main->chooseFilter(6);
        QCOMPARE(m_main->emptyImage(), u"qt_no_quicktransfer2.png"_s);
        QVERIFY(!m_main->isEmpty());
        // Choosing the active filter again changes nothing.
        QSignalSpy titles(m_main.get(), &MainViewController::titleChanged);
        m_main->chooseFilter(6);
        QCOMPARE(titles.count(), 0);
    }

    void selectionAndDeletionOfAGroup()
    {
        auto head = file(QuickTransferTypeImage, u"/p/a.png"_s, 0, 0);
        head->md5 = u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"_s;
        head->applyLocalFileNameRule();
        writePicture(head, Qt::blue);
        const quint64 a = save(head);
        auto b = file(QuickTransferTypeImage, u"/p/b.png"_s, 10, 5, a);
        auto c = file(QuickTransferTypeImage, u"/p/c.png"_s, 10, 5, a);
        QVERIFY(save(b) > 0);
        QVERIFY(save(c) > 0);
        auto d = record(0, QuickTransferTypeText);
        d->dt = u"保留"_s;
        QVERIFY(save(d) > 0);
        m_main->refreshQuickTransferList();
        QCOMPARE(model().recordRowCount(), 2);

        QCOMPARE(m_main->editTitle(), u"编 辑"_s);
        m_main->edit();
        QVERIFY(m_main->isEditing());
        QCOMPARE(m_main->editTitle(), u"取 消"_s);
        QCOMPARE(m_main->selectedText(), u"已选 0 项"_s);
        // Nothing selected: the alert with one button.
        m_main->deleteSelected();
        QCOMPARE(m_dialogs->message(), u"您还没有选中任何记录"_s);
        QCOMPARE(m_dialogs->buttons(), QStringList{u"确定"_s});
        m_dialogs->choose(0);

        m_main->selectAll();
        QCOMPARE(m_main->selectAllIcon(), u"qt_icon_all_selected.png"_s);
        QCOMPARE(m_main->selectedText(), u"已选 2 项"_s);
        m_main->selectAll();
        QCOMPARE(m_main->selectAllIcon(), u"qt_icon_all_unselected.png"_s);
        const int groupRow = rowOf(a);
        m_main->tappedRowContent(groupRow);
        QVERIFY(role(model(), groupRow, QuickTransferListModel::SelectedRole).toBool());
        m_main->tappedRowIcon(groupRow);
        QVERIFY(!model().isSelected(groupRow));
        m_main->tappedRowIcon(groupRow);
        QCOMPARE(m_main->selectedText(), u"已选 1 项"_s);

        NotificationRecorder rec(m_core->hub(), {Notifications::CancelDownloadFile});
        m_main->deleteSelected();
        QCOMPARE(m_dialogs->message(), u"您确定要删除已选的1条记录吗"_s);
        QCOMPARE(m_dialogs->buttons(), (QStringList{u"取消"_s, u"删除"_s}));
        m_dialogs->choose(0);
        QCOMPARE(model().recordRowCount(), 2);
        m_main->deleteSelected();
        m_dialogs->choose(1);
        QCOMPARE(model().recordRowCount(), 1);
        QVERIFY(!m_main->isEditing());
        QCOMPARE(m_toasts->title(), u"删除成功"_s);
        QStringList ids;
        for (const QVariant &v :
             rec.last(Notifications::CancelDownloadFile).value(u"idArray"_s).toList())
            ids << v.toString();
        ids.sort();
        QStringList expected{QString::number(a), QString::number(b->identifier),
                             QString::number(c->identifier)};
        expected.sort();
        QCOMPARE(ids, expected);
        QVERIFY(!QFile::exists(head->downloadPath(m_core->library())));
        QCOMPARE(store()->getQuickTransfer().size(), 1);
    }

    void sharedFileGoesWithItsLastRecord()
    {
        auto one = file(QuickTransferTypeDocument, u"/a/same.pdf"_s, 0, 0);
        one->md5 = u"cccccccccccccccccccccccccccccccc"_s;
        one->applyLocalFileNameRule();
        QDir().mkpath(qtFolder());
        QFile f(one->downloadPath(m_core->library()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("pdf");
        f.close();
        one->size = one->finishedSize = 3;
        QVERIFY(save(one) > 0);
        auto two = file(QuickTransferTypeDocument, u"/b/same.pdf"_s, 3, 3);
        two->md5 = one->md5;
        QVERIFY(save(two) > 0);
        QCOMPARE(two->localPath, one->localPath);
        m_main->refreshQuickTransferList();

        m_main->edit();
        m_main->tappedRowContent(rowOf(one->identifier));
        m_main->deleteSelected();
        m_dialogs->choose(1);
        QVERIFY(QFile::exists(one->downloadPath(m_core->library())));
        m_main->edit();
        m_main->tappedRowContent(0);
        m_main->deleteSelected();
        m_dialogs->choose(1);
        QVERIFY(!QFile::exists(one->downloadPath(m_core->library())));
        QVERIFY(m_main->isEmpty());
    }

    void rowTapsOpenTheirScreens()
    {
        auto link = record(0, QuickTransferTypeLink);
        link->url = u"https://example.org/page"_s;
        link->title = u"示例"_s;
        auto text = record(0, QuickTransferTypeText);
        text->dt = u"你好"_s;
        auto empty = record(0, QuickTransferTypeText);
        auto video = file(QuickTransferTypeVideo, u"/v/clip.mp4"_s, 100, 40);
        auto music = file(QuickTransferTypeMusic, u"/m/song.mp3"_s, 3, 0);
        music->md5 = u"dddddddddddddddddddddddddddddddd"_s;
        music->applyLocalFileNameRule();
        QDir().mkpath(qtFolder());
        QFile song(music->downloadPath(m_core->library()));
        QVERIFY(song.open(QIODevice::WriteOnly));
        song.write("mp3");
        song.close();
        music->finishedSize = 3;
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

        m_main->tappedRowContent(rowOf(link->identifier));
        QCOMPARE(web.count(), 1);
        QCOMPARE(web.first().at(0).toUrl(), QUrl(link->url));
        QVERIFY(web.first().at(1).toBool());
        m_main->tappedRowContent(rowOf(text->identifier));
        m_main->tappedRowContent(rowOf(empty->identifier));
        QCOMPARE(texts.count(), 1);
        QCOMPARE(texts.first().at(0).toString(), u"你好"_s);

        m_main->tappedRowContent(rowOf(video->identifier));
        QCOMPARE(play.count(), 1);
        QVERIFY(play.first().at(0).toUrl().toString().startsWith(u"http://10.0.0.1:8360/pc/"_s));
        QCOMPARE(play.first().at(1).toString(), u"clip.mp4"_s);
        QVERIFY(play.first().at(2).toBool());
        m_main->tappedRowContent(rowOf(music->identifier));
        QCOMPARE(play.last().at(0).toUrl(),
                 QUrl::fromLocalFile(music->downloadPath(m_core->library())));
        QVERIFY(!play.last().at(2).toBool());

        m_main->tappedRowContent(rowOf(doc->identifier));
        QCOMPARE(preview.count(), 0);
        QCOMPARE(m_toasts->title(), u"文件下载完毕才能预览"_s);

        m_main->tappedRowContent(rowOf(image->identifier));
        QCOMPARE(viewer.count(), 1);
        QCOMPARE(viewer.first().at(1).toInt(), 0);
        QCOMPARE(viewer.first().at(0).value<QList<QuickTransferObjectPtr>>().size(), 1);

        // The counters of links, texts, videos, music, pictures and documents.
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
