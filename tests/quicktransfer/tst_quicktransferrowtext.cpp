// The edges of what a row of the quick-transfer list shows, with known answers. The plain cases
// (a link without a title, a folder without a path, a document's name and icon, a file's and a
// group's progress) are the list model's test.
#include "QuickTransferRowText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Text = QuickTransferRowText;

namespace {
QuickTransferObjectPtr record(quint64 type, const QString &dt = {})
{
    auto r = QuickTransferObject::create();
    r->type = type;
    r->dt = dt;
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
        link->title = u"Example"_s;
        QCOMPARE(Text::titleOf(*link), u"Example"_s);
        QCOMPARE(Text::titleOf(*record(QuickTransferTypeFolder, u"C:\\Users\\me\\"_s)), u"me"_s);
        QCOMPARE(Text::titleOf(*record(QuickTransferTypeFolder, u"/"_s)), u"资源管理器"_s);
        QCOMPARE(Text::titleOf(*record(QuickTransferTypeText, u"第一行\n第二行"_s)),
                 u"第一行\n第二行"_s);
        QCOMPARE(Text::iconOf(*record(0x123)), QString());
        QCOMPARE(Text::lastPathComponent(u"C:\\a\\b.txt"_s), u"b.txt"_s);
        QCOMPARE(Text::lastPathComponent(u"C:/a/"_s), u"a"_s);
        QCOMPARE(Text::lastPathComponent(u"//"_s), QString());
        QCOMPARE(Text::lastPathComponent(QString()), QString());
    }

    void sizesAndProgress()
    {
        QCOMPARE(Text::downloadRate(*record(QuickTransferTypeText)), std::nullopt);
        // Files of no size count as complete, alone or in a group; an empty group has no rate.
        QCOMPARE(Text::downloadRate(*record(QuickTransferTypeDocument)), 1.0);
        QCOMPARE(Text::downloadRate(QList<QuickTransferObjectPtr>{record(QuickTransferTypeImage),
                                                                  record(QuickTransferTypeImage)}),
                 1.0);
        QCOMPARE(Text::downloadRate(QList<QuickTransferObjectPtr>{}), std::nullopt);
        QCOMPARE(Text::progressText(0.0004), u"正在下载... 0.0%"_s);
        // Not started or complete: the row shows the size text instead.
        QCOMPARE(Text::progressText(0), std::nullopt);
        QCOMPARE(Text::progressText(1), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestQuickTransferRowText)
#include "tst_quicktransferrowtext.moc"
