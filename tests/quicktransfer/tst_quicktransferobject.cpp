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

    // The kind reads the last extension of the name, in any case.
    void kindsByExtension()
    {
        const QList<std::pair<QString, quint64>> cases{
            {u"C:/a/Report.PDF"_s, QuickTransferTypeDocument},
            {u"/x/song.M4A"_s, QuickTransferTypeVideo},
            {u"/x/README"_s, QuickTransferTypeDocument},
            {u"D:\\v1.2\\notes"_s, QuickTransferTypeDocument},
            {u"D:\\pics\\a.b.JPEG"_s, QuickTransferTypeImage}};
        for (const auto &[path, type] : cases) {
            QCOMPARE(QuickTransferObject::fileTypeOfPath(path), type);
            QCOMPARE(QuickTransferObject::createWithPath(path)->type, type);
        }
    }

    // Items of the PC's answer, as JSON: the fields of the record made of each (decimal types),
    // or none when the item is refused. Absent texts are empty, never null: the store writes
    // them as "". Texts, folders and files given as text are the shake's end-to-end test.
    void entriesFromThePc_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fields");
        const auto row = [](const char *name, const char *entry, const char *kind,
                            const char *fields) {
            QTest::newRow(name) << QString::fromUtf8(entry) << QString::fromUtf8(kind)
                                << QString::fromUtf8(fields);
        };
        // The kind reads the extension in any case; the local name keeps it as it is written.
        row("file",
            "{\"path\":\"C:\\\\pics\\\\cat.JPG\",\"size\":1234,\"thumb\":\"t\",\"md5\":\"abc\"}",
            "file", "{\"type\":524292,\"size\":1234,\"localPath\":\"abc.JPG\",\"thumb\":\"t\"}");
        row("file without digest", "{\"path\":\"C:\\\\pics\\\\cat.JPG\",\"size\":1}", "file",
            "{\"localPath\":\"C:\\\\pics\\\\cat.JPG\"}");
        row("link", "{\"url\":\"http://e.x/\",\"title\":\"T\",\"summary\":5}", "url",
            "{\"type\":65536,\"url\":\"http://e.x/\",\"title\":\"T\",\"summary\":\"\"}");
        row("desktop", "\"C:\\\\Users\\\\Desktop\"", "desktop",
            "{\"type\":131072,\"dt\":\"C:\\\\Users\\\\Desktop\"}");
        row("negative size", "{\"path\":\"a.txt\",\"size\":-5}", "file", "{\"size\":0}");
        row("fractional size", "{\"path\":\"a.txt\",\"size\":12.7}", "file", "{\"size\":12}");
        row("size as text", "{\"path\":\"a.txt\",\"size\":\"77\"}", "file", "{\"size\":77}");
        row("size not a number", "{\"path\":\"a.txt\",\"size\":\"lots\"}", "file", "{\"size\":0}");
        row("size over 4 GiB", "{\"path\":\"a.txt\",\"size\":5368709120.0}", "file",
            "{\"size\":5368709120}");
        row("text as object", "{}", "text", "");
        row("unknown kind", "\"x\"", "unknown", "");
        row("no kind", "{}", "", "");
    }
    void entriesFromThePc()
    {
        QFETCH(QString, entry);
        QFETCH(QString, kind);
        QFETCH(QString, fields);
        const auto r =
            QuickTransferObject::createWithDictionary(JsonUtils::stringToDictionary(entry), kind);
        QCOMPARE(bool(r), !fields.isEmpty());
        if (!r)
            return;
        QVERIFY(!r->dt.isNull() && !r->url.isNull() && !r->summary.isNull());
        const QVariantMap got = r->toVariantMap();
        const QVariantMap expected = JsonUtils::stringToDictionary(fields).toMap();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(got.value(it.key()).toString(), it.value().toString());
    }

    void fromBrowserEntriesAndPushedPaths()
    {
        FileObject f;
        f.path = u"D:\\docs\\a.mkv"_s;
        const auto r = QuickTransferObject::createWithFileObject(f);
        QCOMPARE(r->type, quint64(QuickTransferTypeVideo));
        QCOMPARE(r->localPath, f.path);
        f.type = FileObject::Folder;
        QCOMPARE(QuickTransferObject::createWithFileObject(f)->type,
                 quint64(QuickTransferTypeFolder));
        QVERIFY(QuickTransferObject::createWithPath(u"/x/y.png"_s)
                    ->downloadPath(m_core->library())
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
