#include "TestCore.h"

#include "JsonUtils.h"
#include "NotificationNames.h"
#include "QuickTransferObject.h"
#include "QuickTransferRegistry.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestQuickTransferObject : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_core = std::make_unique<TestCore>(); }
    void cleanup() { m_core.reset(); }

    void kindsByExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<quint64>("type");
        QTest::newRow("upper pdf") << u"C:/a/Report.PDF"_s << quint64(QuickTransferTypeDocument);
        QTest::newRow("m4a is video") << u"/x/song.M4A"_s << quint64(QuickTransferTypeVideo);
        QTest::newRow("no dot") << u"/x/README"_s << quint64(QuickTransferTypeDocument);
        QTest::newRow("dot in folder only")
            << u"D:\\v1.2\\notes"_s << quint64(QuickTransferTypeDocument);
        QTest::newRow("jpeg") << u"D:\\pics\\a.b.JPEG"_s << quint64(QuickTransferTypeImage);
    }
    void kindsByExtension()
    {
        QFETCH(QString, path);
        QFETCH(quint64, type);
        QCOMPARE(QuickTransferObject::fileTypeOfPath(path), type);
        QCOMPARE(QuickTransferObject::createWithPath(path)->type, type);
    }

    void fileEntriesAreNamedByTheirDigest()
    {
        const QVariantMap file =
            JsonUtils::stringToDictionary(
                uR"({"path":"C:\\pics\\cat.JPG","size":1234,"thumb":"t","md5":"abc"})"_s)
                .toMap();
        auto r = QuickTransferObject::createWithDictionary(file, u"file"_s);
        QVERIFY(r);
        QCOMPARE(r->type, quint64(QuickTransferTypeImage));
        QCOMPARE(r->size, 1234u);
        // The kind reads the extension in any case; the local name keeps it as it is written.
        QCOMPARE(r->localPath, u"abc.JPG"_s);
        QCOMPARE(r->thumb, u"t"_s);
        // Absent texts are empty, never null: the store writes them as "".
        QVERIFY(!r->dt.isNull() && !r->url.isNull() && !r->summary.isNull());

        QVariantMap noDigest = file;
        noDigest.remove(u"md5"_s);
        QCOMPARE(QuickTransferObject::createWithDictionary(noDigest, u"file"_s)->localPath,
                 u"C:\\pics\\cat.JPG"_s);
        noDigest.insert(u"folder"_s, true);
        r = QuickTransferObject::createWithDictionary(noDigest, u"file"_s);
        QCOMPARE(r->type, quint64(QuickTransferTypeFolder));
    }

    void linkTextAndFolderEntries()
    {
        auto r = QuickTransferObject::createWithDictionary(
            QVariantMap{{u"url"_s, u"http://e.x/"_s}, {u"title"_s, u"T"_s}, {u"summary"_s, 5}},
            u"url"_s);
        QCOMPARE(r->type, quint64(QuickTransferTypeLink));
        QCOMPARE(r->url, u"http://e.x/"_s);
        QCOMPARE(r->summary, u""_s); // a mistyped value becomes ""

        r = QuickTransferObject::createWithDictionary(u"你好"_s, u"text"_s);
        QCOMPARE(r->type, quint64(QuickTransferTypeText));
        QCOMPARE(r->dt, u"你好"_s);
        QVERIFY(r->localPath.isEmpty());
        r = QuickTransferObject::createWithDictionary(u"C:\\Users\\Desktop"_s, u"desktop"_s);
        QCOMPARE(r->type, quint64(QuickTransferTypeFolder));
        QCOMPARE(r->dt, u"C:\\Users\\Desktop"_s);
    }

    void mistypedSizes()
    {
        const auto sizeOf = [](const QVariant &size) {
            return QuickTransferObject::createWithDictionary(
                       QVariantMap{{u"path"_s, u"a.txt"_s}, {u"size"_s, size}}, u"file"_s)
                ->size;
        };
        QCOMPARE(sizeOf(-5), 0u);
        QCOMPARE(sizeOf(12.7), 12u);
        QCOMPARE(sizeOf(u"77"_s), 77u);
        QCOMPARE(sizeOf(u"lots"_s), 0u);
        QCOMPARE(sizeOf(5368709120.0), 5368709120u);
    }

    void wrongKindsRejected_data()
    {
        QTest::addColumn<QVariant>("entry");
        QTest::addColumn<QString>("typeString");
        QTest::newRow("file as text") << QVariant(u"a.txt"_s) << u"file"_s;
        QTest::newRow("text as object") << QVariant(QVariantMap{}) << u"text"_s;
        QTest::newRow("unknown") << QVariant(u"x"_s) << u"unknown"_s;
        QTest::newRow("empty type") << QVariant(QVariantMap{}) << QString();
    }
    void wrongKindsRejected()
    {
        QFETCH(QVariant, entry);
        QFETCH(QString, typeString);
        QVERIFY(!QuickTransferObject::createWithDictionary(entry, typeString));
    }

    void fromBrowserEntriesAndPushedPaths()
    {
        FileObject f;
        f.path = u"D:\\docs\\a.mkv"_s;
        auto r = QuickTransferObject::createWithFileObject(f);
        QCOMPARE(r->type, quint64(QuickTransferTypeVideo));
        QCOMPARE(r->localPath, f.path);
        f.type = FileObject::Folder;
        QCOMPARE(QuickTransferObject::createWithFileObject(f)->type,
                 quint64(QuickTransferTypeFolder));

        r = QuickTransferObject::createWithPath(u"/x/y.png"_s);
        QVERIFY(r->downloadPath(m_core->library())
                    .startsWith(m_core->core->libraryPath(u"qt"_s) + u'/'));
    }

    void progressReachesEveryCopyOfARow()
    {
        QuickTransferRegistry registry(*m_core->hub());
        auto a = QuickTransferObject::createWithPath(u"/x/a.txt"_s);
        auto b = QuickTransferObject::createWithPath(u"/x/a.txt"_s); // same localPath
        auto c = QuickTransferObject::create();
        auto d = QuickTransferObject::create();
        for (const auto &r : {b, c, d})
            registry.track(r.data());
        a->identifier = 5;
        c->identifier = 5;
        a->finishedSize = 40;
        a->size = 90;
        m_core->hub()->post(Notifications::ToObjectDownloadFileReceivedData,
                            {{u"object"_s, QVariant::fromValue(a)}});
        QCOMPARE(b->finishedSize, 40u);
        QCOMPARE(c->finishedSize, 40u);
        QCOMPARE(d->finishedSize, 0u); // unsaved, no file: not the same row
        m_core->hub()->post(Notifications::QuickTransferSizeChanged,
                            {{u"object"_s, QVariant::fromValue(a)}});
        QCOMPARE(c->size, 90u);
        QCOMPARE(b->size, 0u); // size follows the row id only
        QCOMPARE(registry.liveCount(), 3);
        d.reset();
        QCOMPARE(registry.liveCount(), 2);
    }

    // Texts and paths from the PC are written as they are, markers like "%1" included.
    void descriptionKeepsTextsAsTheyAre()
    {
        auto r = QuickTransferObject::createWithDictionary(u"save %1 or %2, 100%"_s, u"text"_s);
        r->path = u"C:/%6/%13.txt"_s;
        r->size = 5;
        r->first_id = 7;
        const QString text = r->description();
        QVERIFY2(text.contains(u" type:40000, dt:save %1 or %2, 100% path:C:/%6/%13.txt size:5 "
                               "finishedSize:0 thumb: url: title: summary: md5: localPath:"_s),
                 qPrintable(text));
        QVERIFY2(text.endsWith(u" first_id:7 from:0"_s), qPrintable(text));
    }

private:
    std::unique_ptr<TestCore> m_core;
};

QTEST_GUILESS_MAIN(TestQuickTransferObject)
#include "tst_quicktransferobject.moc"
