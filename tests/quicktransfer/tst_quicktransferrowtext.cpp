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
    // The plain cases (a link without a title, a folder without a path, a document's name and
    // icon, a file's and a group's progress) are the list model's test; these are the edges.
    void titlesAndIcons()
    {
        auto link = record(QuickTransferTypeLink);
        link->title = u"Example"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*link), u"Example"_s);
        auto folder = record(QuickTransferTypeFolder);
        folder->dt = u"C:\\Users\\me\\"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*folder), u"me"_s);
        folder->dt = u"/"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*folder), u"资源管理器"_s);
        auto text = record(QuickTransferTypeText);
        text->dt = u"第一行\n第二行"_s;
        QCOMPARE(QuickTransferRowText::titleOf(*text), u"第一行\n第二行"_s);
        QCOMPARE(QuickTransferRowText::iconOf(*record(0x123)), QString());
    }

    void lastPathComponents()
    {
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
        const QList<QuickTransferObjectPtr> empty{record(QuickTransferTypeImage),
                                                  record(QuickTransferTypeImage)};
        QCOMPARE(QuickTransferRowText::downloadRate(empty), std::optional<double>(1.0));
        QCOMPARE(QuickTransferRowText::downloadRate(QList<QuickTransferObjectPtr>{}), std::nullopt);
        QCOMPARE(QuickTransferRowText::progressText(0.0004), std::optional(u"正在下载... 0.0%"_s));
        // Not started or complete: the row shows the size text instead.
        QCOMPARE(QuickTransferRowText::progressText(0), std::nullopt);
        QCOMPARE(QuickTransferRowText::progressText(1), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestQuickTransferRowText)
#include "tst_quicktransferrowtext.moc"
