#include "JsonUtils.h"
#include "QuickTransferObject.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestQuickTransferObject : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        // The kind reads the last extension of the name only.
        row("two extensions", "{\"path\":\"D:\\\\a.b.JPEG\"}", "file", "{\"type\":524292}");
        row("link", "{\"url\":\"http://e.x/\",\"title\":\"T\",\"summary\":5}", "url",
            "{\"type\":65536,\"url\":\"http://e.x/\",\"title\":\"T\",\"summary\":\"\"}");
        row("desktop", "\"C:\\\\Users\\\\Desktop\"", "desktop",
            "{\"type\":131072,\"dt\":\"C:\\\\Users\\\\Desktop\"}");
        row("negative size", "{\"path\":\"a.txt\",\"size\":-5}", "file", "{\"size\":0}");
        row("size as text", "{\"path\":\"a.txt\",\"size\":\"77\"}", "file", "{\"size\":77}");
        row("size not a number", "{\"path\":\"a.txt\",\"size\":\"lots\"}", "file", "{\"size\":0}");
        row("size over 4 GiB", "{\"path\":\"a.txt\",\"size\":5368709120.0}", "file",
            "{\"size\":5368709120}");
        row("text as object", "{}", "text", "");
        row("unknown kind", "\"x\"", "unknown", "");
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
};

QTEST_GUILESS_MAIN(TestQuickTransferObject)
#include "tst_quicktransferobject.moc"
