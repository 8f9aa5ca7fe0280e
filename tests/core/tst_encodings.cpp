#include "Base64.h"
#include "FileObject.h"
#include "JsonUtils.h"
#include "StringExtension.h"
#include "Utils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

#include "VariantCompare.h"

using namespace Qt::StringLiterals;

class TestEncodings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The one-pass decoder gives what Qt's decoder and a complement give, whatever the text:
    // padded or not, with surrounding white space, bad characters or misplaced padding.
    void base64ComplementedAgreesWithTheGeneralDecoder()
    {
        QRandomGenerator random(20261206);
        const QByteArray noise(" \t\n=*-_.\x80");
        QList<QByteArray> texts{"QQ==", "QR==", "QUI=", "Q===", "====", "QQ=A", "", " "};
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes(int(random.bounded(0, 40)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            QByteArray text = bytes.toBase64(round % 2 ? QByteArray::OmitTrailingEquals
                                                       : QByteArray::Base64Encoding);
            if (round % 3 == 1)
                text = " \r\n" + text + "\n\t ";
            if (round % 4 == 3)
                text.insert(random.bounded(int(text.size()) + 1), noise[random.bounded(9)]);
            texts << text;
        }
        for (const QByteArray &text : texts) {
            const auto general = Base64::decodeBase64DataReturnData(text);
            const auto direct = Base64::decodeComplemented(text);
            QCOMPARE(direct.has_value(), general.has_value());
            if (general)
                QCOMPARE(*direct, Utils::negated(*general));
        }
    }

    // Form encoding of the identity strings; the identity tests cover spaces and UTF-8.
    void textsOfNamesSizesAndDays()
    {
        QCOMPARE(StringExtension::urlencode(u"a/c~._-&b=c;d+"_s), u"a%2Fc~._-%26b%3Dc%3Bd%2B"_s);
        QCOMPARE(Utils::getSizeString(0), u"0B"_s);
        QCOMPARE(Utils::getSizeString(18000000000000ULL), u"18000.0GB"_s);
        const QDateTime late(QDate(2026, 3, 1), QTime(23, 59, 59));
        QVERIFY(Utils::isSameDay(late, QDateTime(QDate(2026, 3, 1), QTime(0, 0))));
        QVERIFY(!Utils::isSameDay(late, late.addSecs(1)));
        QVERIFY(!Utils::isSameDay(late, late.addYears(1)));
    }

    void jsonWritingAndFallbacks()
    {
        QCOMPARE(JsonUtils::objectToString(QVariantMap{{u"k"_s, u"v"_s}}), u"{\"k\":\"v\"}"_s);
        QVERIFY(!JsonUtils::stringToDictionary(QString()).isValid());
        QCOMPARE(JsonUtils::objectToString(QVariant()), QString());
        QCOMPARE(JsonUtils::integerValue(u"x"_s, -1), -1);
        QCOMPARE(JsonUtils::integerValue(QVariant(), 7), 7);
    }

    void jsonReadersAgree_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("kinds") << QByteArray("{\"a\":1,\"b\":-2,\"c\":\"x\\\"y\\\\z\\/\\n\\t\","
                                             "\"d\":true,\"e\":false,\"f\":[],\"g\":{},"
                                             "\"h\":[[{\"k\":\"\xc3\xa9\"}]]}");
        QTest::newRow("repeated strings") << QByteArray(
            "[{\"name\":\"abcde\",\"type\":1},{\"type\":2,\"name\":\"aXcde\"},"
            "{\"abcde\":\"name\",\"aXcde\":\"type\",\"name\":\"abcde\"},\"aXcde\",\"\"]");
        QTest::newRow("twice the same key later") << QByteArray("[{\"a\":1},{\"b\":1,\"b\":2}]");
        QTest::newRow("too large for a double") << QByteArray("[1.7976931348623159e308]");
        QTest::newRow("nested 1025 deep") << QByteArray(1025, '[') + QByteArray(1025, ']');
        QTest::newRow("trailing comma") << QByteArray("[1,]");
        QTest::newRow("cut off") << QByteArray("{\"a\":[1,2");
    }

    // The reader gives what QJsonDocument's conversion gives, kinds and values, and refuses what
    // it refuses. The json_reader fuzz corpus, replayed as a test, holds the number, escape,
    // UTF-8, nesting and byte-order-mark cases; these rows are the ones it does not.
    void jsonReadersAgree()
    {
        QFETCH(QByteArray, json);
        const QVariant expected = qtJsonReading(json);
        const QVariant read = JsonUtils::dataToDictionary(json);
        QCOMPARE(read.isValid(), expected.isValid());
        QVERIFY(!read.isValid() || sameVariant(read, expected));
    }

    // What callers rely on, whoever parses: whole numbers are integers, the last of a repeated
    // key wins, a lone surrogate is kept.
    void jsonValuesCallersGet()
    {
        const QVariantList numbers =
            JsonUtils::dataToDictionary("[1e2,-0.0,9223372036854775807,9223372036854775808,1.5]")
                .toList();
        QCOMPARE(numbers.size(), 5);
        QCOMPARE(numbers[0].typeId(), QMetaType::LongLong);
        QCOMPARE(numbers[0].toLongLong(), 100);
        QCOMPARE(numbers[1].typeId(), QMetaType::LongLong);
        QCOMPARE(numbers[2].toLongLong(), std::numeric_limits<qint64>::max());
        QCOMPARE(numbers[3].typeId(), QMetaType::Double);
        QCOMPARE(numbers[3].toDouble(), 9223372036854775808.0);
        QCOMPARE(numbers[4].typeId(), QMetaType::Double);

        const QVariantMap twice =
            JsonUtils::dataToDictionary(R"({"a":1,"b":{"c":1,"c":[2]},"a":"x"})").toMap();
        QCOMPARE(twice.value(u"a"_s), QVariant(u"x"_s));
        QCOMPARE(twice.value(u"b"_s).toMap().value(u"c"_s).toList().size(), 1);
        QCOMPARE(JsonUtils::dataToDictionary(R"(["\ud800"])").toList().value(0).toString(),
                 QString(QChar(0xD800)));
        QCOMPARE(JsonUtils::dataToDictionary("null").typeId(), QMetaType::Nullptr);
    }

    // Entries as the PC may send them: types are 32-bit, sizes 64-bit and never negative, other
    // kinds convert, missing fields stay empty, anything but an object is an empty file.
    void fileEntries()
    {
        const FileObject big(QVariantMap{{u"type"_s, qlonglong(4294967298)},
                                         {u"size"_s, qlonglong(4294967296)},
                                         {u"remotePath"_s, u"ignored"_s}});
        QCOMPARE(big.type, quint64(FileObject::Drive));
        QCOMPARE(big.size, quint64(4294967296));
        QVERIFY(big.remotePath.isEmpty());
        QCOMPARE(FileObject(QVariantMap{{u"size"_s, qlonglong(-5)}}).size, quint64(0));
        QCOMPARE(FileObject(QVariantMap{{u"type"_s, qlonglong(-1)}}).type, ~quint64(0));
        const FileObject f(QVariantMap{{u"name"_s, qlonglong(12)},
                                       {u"type"_s, u"3"_s},
                                       {u"time"_s, 1.7e9},
                                       {u"size"_s, u"lots"_s}});
        QCOMPARE(f.name, u"12"_s);
        QVERIFY(f.path.isEmpty() && f.desc.isEmpty());
        QCOMPARE(f.type, quint64(FileObject::DriveOther));
        QCOMPARE(f.time, quint64(1700000000));
        QCOMPARE(f.last_modify, quint64(1700000000));
        QCOMPARE(f.size, quint64(0));
        for (const QVariant &v : {QVariant(), QVariant(u"x"_s), QVariant(QVariantList{1})}) {
            const FileObject e(v);
            QVERIFY(e.name.isEmpty() && e.type == FileObject::File && e.size == 0);
        }
    }

    // Names and paths from the PC are written as they are, markers like "%1" included.
    void descriptionKeepsTextsAsTheyAre()
    {
        FileObject f(QVariantMap{{u"name"_s, u"50%1 off %2.txt"_s},
                                 {u"path"_s, u"D:\\%4\\%10"_s},
                                 {u"type"_s, qlonglong(0)},
                                 {u"time"_s, qlonglong(17)},
                                 {u"size"_s, qlonglong(4096)},
                                 {u"desc"_s, u"%9"_s}});
        f.asset = u"asset"_s;
        QCOMPARE(f.description(), u"FileObject: name=50%1 off %2.txt path=D:\\%4\\%10 remotePath= "
                                  "type=0 time=17 last_modify=17 size=4096 desc=%9 thumb= "
                                  "asset=asset"_s);
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
