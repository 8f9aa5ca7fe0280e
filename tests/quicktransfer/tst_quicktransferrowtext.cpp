// What a row of the quick-transfer list shows for each kind of record, with known answers.
#include "QuickTransferRowText.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QuickTransferObjectPtr record(quint64 type, const QString &path = {}, quint64 size = 0,
                              quint64 finished = 0)
{
    auto r = QuickTransferObject::create();
    r->type = type;
    r->path = path;
    r->size = size;
    r->finishedSize = finished;
    return r;
}
} // namespace

class TestQuickTransferRowText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void titlesAndIcons()
    {
        auto link = record(QuickTransferTypeLink);
        link->url = u"http://example.org"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*link), u"无标题"_s);
        link->title = u"Example"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*link), u"Example"_s);

        auto folder = record(QuickTransferTypeFolder);
        QCOMPARE(QuickTransferRowText::titleOf(*folder), u"资源管理器"_s);
        folder->dt = u"C:\\Users\\me\\"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*folder), u"me"_s);
        folder->dt = u"/"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*folder), u"资源管理器"_s);

        auto text = record(QuickTransferTypeText);
        text->dt = u"第一行\n第二行"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*text), u"第一行\n第二行"_s);

        const auto doc = record(QuickTransferTypeDocument, u"C:/docs/a b.pdf"_s);
        QCOMPARE(QuickTransferRowText::titleOf(*doc), u"a b.pdf"_s);
        QCOMPARE(QuickTransferRowText::iconOf(*doc), u"qt_icon_doc.png"_s);
        QCOMPARE(QuickTransferRowText::iconOf(*record(0x123)), QString());
    }

    void lastPathComponents()
    {
        QCOMPARE(QuickTransferRowText::lastPathComponent(u"C:/a/b.txt"_s), u"b.txt"_s);
        QCOMPARE(QuickTransferRowText::lastPathComponent(u"C:\\a\\b.txt"_s), u"b.txt"_s);
        QCOMPARE(QuickTransferRowText::lastPathComponent(u"C:/a/"_s), u"a"_s);
        QCOMPARE(QuickTransferRowText::lastPathComponent(u"//"_s), QString());
        QCOMPARE(QuickTransferRowText::lastPathComponent(QString()), QString());
    }

    void sizesAndProgress()
    {
        QCOMPARE(QuickTransferRowText::downloadRate(*record(QuickTransferTypeText)), std::nullopt);
        QCOMPARE(QuickTransferRowText::downloadRate(*record(QuickTransferTypeDocument, {}, 0, 0)),
                 std::optional<double>(1.0));
        QCOMPARE(
            QuickTransferRowText::downloadRate(*record(QuickTransferTypeDocument, {}, 200, 90)),
            std::optional<double>(0.45));

        // An image group: every byte received over every size.
        const QList<QuickTransferObjectPtr> group{record(QuickTransferTypeImage, {}, 100, 100),
                                                  record(QuickTransferTypeImage, {}, 300, 0)};
        QCOMPARE(QuickTransferRowText::downloadRate(group), std::optional<double>(0.25));
        const QList<QuickTransferObjectPtr> empty{record(QuickTransferTypeImage),
                                                  record(QuickTransferTypeImage)};
        QCOMPARE(QuickTransferRowText::downloadRate(empty), std::optional<double>(1.0));
        QCOMPARE(QuickTransferRowText::downloadRate(QList<QuickTransferObjectPtr>{}), std::nullopt);

        QCOMPARE(QuickTransferRowText::progressText(0.45), std::optional(u"正在下载... 45.0%"_s));
        QCOMPARE(QuickTransferRowText::progressText(0.0004), std::optional(u"正在下载... 0.0%"_s));
        // Not started or complete: the row shows the size text instead.
        QCOMPARE(QuickTransferRowText::progressText(0), std::nullopt);
        QCOMPARE(QuickTransferRowText::progressText(1), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestQuickTransferRowText)
#include "tst_quicktransferrowtext.moc"
