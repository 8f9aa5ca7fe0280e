// Answer decoding and request texts of the HTTP layer, on fixtures written from the wire rules.
#include "HttpAnswer.h"
#include "HttpRequestBase.h"
#include "HttpRequestMethod.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestHttpAnswer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pcAnswers()
    {
        // Base64 of the complemented bytes of {"err":0,"data":{"volum":37}}.
        const HttpAnswer ok =
            HttpAnswer::decode({}, 200, "hN2ajY3dxc/T3Zuei57dxYTdiZCTipLdxczIgoI=");
        QCOMPARE(ok.value.toMap().value(u"data"_s).toMap().value(u"volum"_s).toInt(), 37);
        QVERIFY(!ok.dropsLogin);

        // {"t":"a<CR>\nb","u":"it\'s"}: neither is JSON until rewritten.
        const QVariantMap rewritten =
            HttpAnswer::decode({}, 200, "hN2L3cXdnvKjkZ3d092K3cXdlouj2Izdgg==").value.toMap();
        QCOMPARE(rewritten.value(u"t"_s).toString(), u"a\nb"_s);
        QCOMPARE(rewritten.value(u"u"_s).toString(), u"it's"_s);

        // Top level of another kind reaches the caller unchanged.
        QCOMPARE(HttpAnswer::decode({}, 200, "pM7TzaI=").value.toList().size(), 2);
        // UTF-8 text survives; invalid UTF-8, non-JSON, non-Base64 and empty bodies give none.
        QCOMPARE(HttpAnswer::decode({}, 200, "hN2L3cXdPFbdgg==").value.toMap().value(u"t"_s),
                 QVariant(u"é"_s));
        QVERIFY(!HttpAnswer::decode({}, 200, "hN2L3cXdAN2C").value.isValid());
        QVERIFY(!HttpAnswer::decode({}, 200, "w5eLkpPB").value.isValid());
        QVERIFY(!HttpAnswer::decode({}, 200, "%%% not base64 %%%").value.isValid());
        QVERIFY(!HttpAnswer::decode({}, 200, {}).value.isValid());
        // Plain JSON from the PC is not its format either.
        QVERIFY(!HttpAnswer::decode({}, 200, R"({"err":0})").value.isValid());
    }

    void refusalDropsLoginOnlyForThePc()
    {
        const HttpAnswer refused = HttpAnswer::decode({}, 403, {});
        QVERIFY(refused.dropsLogin);
        QVERIFY(!refused.value.isValid());
        QVERIFY(HttpAnswer::decode(u"dir"_s, 403, "pM7TzaI=").value.isValid());
        QVERIFY(!HttpAnswer::decode(HttpTags::PlainJson, 403, {}).dropsLogin);
    }

    void outsideServicesAndImages()
    {
        const HttpAnswer plain = HttpAnswer::decode(HttpTags::PlainJson, 200, R"({"errno":3})");
        QCOMPARE(plain.value.toMap().value(u"errno"_s).toInt(), 3);
        QVERIFY(!HttpAnswer::decode(HttpTags::PlainJson, 200, "<html>").value.isValid());
        QVERIFY(!HttpAnswer::decode(HttpTags::PlainJson, 200,
                                    "hN2ajY3dxc/T3Zuei57dxYTdiZCTipLdxczIgoI=")
                     .value.isValid());

        const QByteArray png("\x89PNG\r\n\x1a\n....", 12);
        QCOMPARE(HttpAnswer::decode(HttpTags::Image, 200, png).value.toByteArray(), png);
        QVERIFY(!HttpAnswer::decode(HttpTags::Image, 200, {}).value.isValid());
    }

    void queryEscaping()
    {
        const QString base = u"http://h/cgi/x.mo"_s;
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {{u"name"_s, u"a&b c"_s}}),
                 QByteArray("http://h/cgi/x.mo?name=a%26b%20c"));
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {}), base.toUtf8());
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {{u"a"_s, 1}, {u"b"_s, u"x"_s}}),
                 QByteArray("http://h/cgi/x.mo?a=1&b=x"));
        // Reserved characters pass; what may not stand in a URL is escaped, "#" included.
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"C:/a=b+c?d;e,f@g$h!i'j(k)*~"_s),
                 QByteArray("C:/a=b+c?d;e,f@g$h!i'j(k)*~"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"\"%<>[\\]^`{|}#"_s),
                 QByteArray("%22%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%23"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"桌面\t"_s),
                 QByteArray("%E6%A1%8C%E9%9D%A2%09"));
    }

    void formEscaping()
    {
        QCOMPARE(HttpRequestBase::escapeFormComponent(u":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`"_s),
                 QByteArray("%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C"
                            "%3E%25%7B%7D%7C%5C%5E%7E%60"));
        QCOMPARE(HttpRequestBase::escapeFormComponent(u"Az09-._é"_s), QByteArray("Az09-._%C3%A9"));
        QCOMPARE(HttpRequestBase::buildFormBody({{u"files"_s, u"[\"C:/a b\"]"_s}, {u"x"_s, 1}}),
                 QByteArray("files=%5B%22C%3A%2Fa%20b%22%5D&x=1"));
    }

    void pathTexts()
    {
        QCOMPARE(HttpRequestMethod::pathListText({u"C:/a.txt"_s, u"C:/b"_s}),
                 u"[\"C:/a.txt\",\"C:/b\"]"_s);
        QCOMPARE(HttpRequestMethod::moveText({u"C:/a.txt"_s}, u"D:/x"_s),
                 u"{\"files\": [\"C:/a.txt\"], \"dest\" : \"D:/x\"}"_s);
        // Verbatim, no escaping; an empty list is an empty array rather than a lone bracket.
        QCOMPARE(HttpRequestMethod::pathListText({u"C:\\\"q"_s}), u"[\"C:\\\"q\"]"_s);
        QCOMPARE(HttpRequestMethod::pathListText({}), u"[]"_s);
    }
};

QTEST_GUILESS_MAIN(TestHttpAnswer)
#include "tst_httpanswer.moc"
