#include "DialogCenter.h"
#include "FakePlatform.h"
#include "ShareTextStringActionSheet.h"
#include "TextViewController.h"
#include "ToastCenter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The text screen's placement rules and the text share sheet over a fake composer.
class TestTextScreens : public QObject
{
    Q_OBJECT

    DialogCenter m_dialogs;
    ToastCenter m_toasts;
    std::unique_ptr<FakeComposer> m_composer;
    std::unique_ptr<ShareTextStringActionSheet> m_sheet;

private Q_SLOTS:
    void init()
    {
        m_composer = std::make_unique<FakeComposer>();
        m_sheet =
            std::make_unique<ShareTextStringActionSheet>(&m_dialogs, &m_toasts, m_composer.get());
        m_toasts.hideToast();
    }

    void textPlacement()
    {
        // Taller than twice the view: it scrolls from the top with the indicator.
        QVERIFY(TextViewController::showsScrollIndicator(500, 1001));
        QCOMPARE(TextViewController::topOffset(500, 1001), 0.0);
        // Shorter: moved down by (view - text) / 2.2.
        QVERIFY(!TextViewController::showsScrollIndicator(500, 1000));
        QCOMPARE(TextViewController::topOffset(500, 60), 200.0);
        QCOMPARE(TextViewController::topOffset(500, 800), 0.0);
        QVERIFY(TextViewController::isCentred(1));
        QVERIFY(!TextViewController::isCentred(2));
    }

    void longTextsComeInBlocks()
    {
        TextViewController shortText(u"你好"_s);
        QCOMPARE(shortText.blocks(), QStringList{u"你好"_s});
        // Lines of 30 characters: blocks end after a line break.
        QString lines;
        for (int i = 0; i < 200; ++i)
            lines += QString(29, u'行') + u'\n';
        TextViewController lined(lines);
        QCOMPARE(lined.blocks().join(QString()), lines);
        for (const QString &block : lined.blocks())
            QVERIFY(block.size() <= TextViewController::BlockLength && block.endsWith(u'\n'));
        // One line of emoji: no block ends inside a character.
        const QString emoji = QString(u"👋"_s).repeated(3000);
        TextViewController wide(emoji);
        QCOMPARE(wide.blocks().join(QString()), emoji);
        for (const QString &block : wide.blocks())
            QVERIFY(!block.back().isHighSurrogate());
    }

    void sharingEndsWithItsToast_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("can");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("toast");
        QTest::newRow("no messages") << 0 << false << 0 << u"未配置iMessage账号，不能发信息"_s;
        QTest::newRow("no mail") << 1 << false << 0 << u"未配置邮件地址，不能发送邮件"_s;
        QTest::newRow("message sent") << 0 << true << int(Composer::Result::Sent) << u"发送成功"_s;
        QTest::newRow("mail failed") << 1 << true << int(Composer::Result::Failed) << u"发送失败"_s;
        QTest::newRow("mail cancelled")
            << 1 << true << int(Composer::Result::Cancelled) << QString();
        QTest::newRow("mail handed over")
            << 1 << true << int(Composer::Result::HandedOver) << QString();
        QTest::newRow("sheet cancelled") << 2 << true << 0 << QString();
    }
    void sharingEndsWithItsToast()
    {
        QFETCH(int, button);
        QFETCH(bool, can);
        QFETCH(int, result);
        QFETCH(QString, toast);
        m_composer->mail = m_composer->text = can;
        m_composer->result = Composer::Result(result);
        QSignalSpy finished(m_sheet.get(), &ShareTextStringActionSheet::finished);
        m_sheet->showShareTextStringActionSheet(u"https://example.org"_s);
        m_dialogs.choose(button);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(m_toasts.isToastVisible(), !toast.isEmpty());
        if (!toast.isEmpty())
            QCOMPARE(m_toasts.title(), toast);
        const QStringList sent{u"https://example.org"_s};
        QCOMPARE(m_composer->texts, can && button == 0 ? sent : QStringList());
        QCOMPARE(m_composer->mails, can && button == 1 ? sent : QStringList());
        // Another user of the composer is not answered by the sheet.
        Q_EMIT m_composer->mailFinished(Composer::Result::Failed);
        QCOMPARE(finished.count(), 1);
    }
};

QTEST_MAIN(TestTextScreens)
#include "tst_textscreens.moc"
