// The window's dialogs: one at a time, in turn, each reporting the button chosen.
#include "DialogCenter.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A dialog waits for the one before it; a button it does not have chooses nothing.
    void dialogsTakeTurnsAndReportTheChoice()
    {
        DialogCenter dialogs;
        QList<int> chosen;
        dialogs.alert(QString(), u"您还没有选中任何记录"_s, {u"确定"_s},
                      [&](int i) { chosen << i; });
        dialogs.actionSheet(QString(), {u"短信分享"_s, u"邮件分享"_s, u"取消"_s},
                            [&](int i) { chosen << 10 + i; });
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(5);
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(0);
        QCOMPARE(dialogs.kind(), DialogCenter::Sheet);
        dialogs.dismiss();
        QCOMPARE(dialogs.kind(), DialogCenter::None);
        QCOMPARE(chosen, (QList<int>{0, 12}));
    }
};

QTEST_GUILESS_MAIN(TestDialogs)
#include "tst_dialogs.moc"
