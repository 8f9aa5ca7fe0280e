#include "Base64.h"
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
    void complementIsItsOwnInverse()
    {
        QByteArray data = "{}";
        Utils::getBitwiseNegation(data);
        QCOMPARE(data, QByteArray("\x84\x82"));
        Utils::getBitwiseNegation(data);
        QCOMPARE(data, QByteArray("{}"));
        Utils::getBitwiseNegation(nullptr, 4);
        QByteArray empty;
        Utils::getBitwiseNegation(empty);
        QVERIFY(empty.isEmpty());
    }

    void xorNeedsTwoTextsOfOneLength()
    {
        QCOMPARE(*Utils::XORStr1(u"abc"_s, u"abc"_s), QByteArray(4, '\0'));
        QCOMPARE(*Utils::XORStr1(u"a"_s, u"b"_s), QByteArray("\x03\x00", 2));
        QVERIFY(!Utils::XORStr1(u"abc"_s, u"ab"_s));
        QVERIFY(!Utils::XORStr1(QString(), QString()));
    }

    void formEncoding_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("space and slash") << u"a b/c"_s << u"a+b%2Fc"_s;
        QTest::newRow("unreserved") << u"~._-"_s << u"~._-"_s;
        QTest::newRow("chinese") << u"中"_s << u"%E4%B8%AD"_s;
        QTest::newRow("reserved") << u"a&b=c;d+"_s << u"a%26b%3Dc%3Bd%2B"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void formEncoding()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(StringExtension::urlencode(in), out);
    }

    void md5StopsAtTheFirstZero()
    {
        QCOMPARE(StringExtension::md5(u"abc"_s), u"900150983cd24fb0d6963f7d28e17f72"_s);
        QCOMPARE(StringExtension::md5(QString()), u"d41d8cd98f00b204e9800998ecf8427e"_s);
        QCOMPARE(StringExtension::md5(u"abc\0def"_s), u"900150983cd24fb0d6963f7d28e17f72"_s);
    }

    void base64RoundTripAndRejection()
    {
        QCOMPARE(Base64::encodeBase64Data("\xff\x00\x10"_ba), u"/wAQ"_s);
        QCOMPARE(*Base64::decodeBase64DataReturnData("/wAQ"), QByteArray("\xff\x00\x10", 3));
        QCOMPARE(*Base64::decodeBase64DataReturnData(" aGk=\n"), QByteArray("hi"));
        QVERIFY(!Base64::decodeBase64DataReturnData("not base64!"));
    }

    // The one-pass decoder gives what the general decoder and a complement give, whatever the
    // text: padded or not, with surrounding white space, bad characters or misplaced padding.
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

    void sizeTexts_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << quint64(0) << u"0B"_s;
        QTest::newRow("1000") << quint64(1000) << u"1.0KB"_s;
        QTest::newRow("1.5M") << quint64(1500000) << u"1.5MB"_s;
        QTest::newRow("huge") << quint64(18000000000000ULL) << u"18000.0GB"_s;
    }
    void sizeTexts()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Utils::getSizeString(bytes), text);
    }

    void sameDayFollowsTheLocalCalendar()
    {
        const QDateTime late(QDate(2026, 3, 1), QTime(23, 59, 59));
        QVERIFY(Utils::isSameDay(late, QDateTime(QDate(2026, 3, 1), QTime(0, 0))));
        QVERIFY(!Utils::isSameDay(late, late.addSecs(1)));
        QVERIFY(!Utils::isSameDay(late, late.addYears(1)));
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
