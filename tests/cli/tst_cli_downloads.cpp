// zephyr-cli's wait for downloads, in the process: what it leaves behind when it gives up.
#include "CliContext.h"
#include "CliDownloads.h"
#include "ScriptedPeer.h"
#include "TestServices.h"

#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SerialQueue.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCliDownloads : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void givingUpEndsWhatStillRuns()
    {
        // The PC sends the head and the start of the file, then nothing more.
        ScriptedPeer peer;
        peer.script(
            {{"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"_ba + QByteArray(1000, 's'),
              Reply::Hang}});
        TestCore t;
        createServices(t);
        RuntimeState::sharedInstance()->setApi(peer.url(u"/"_s).toString());
        CliContext ctx(*t.core, true);
        CliDownloads downloads(ctx, 500);
        const auto r = QuickTransferObject::createWithPath(u"C:/stuck.bin"_s);
        r->size = 100000;
        for (const QString &name :
             {Notifications::SaveQuickTransfer, Notifications::DoDownloadFile})
            t.hub()->post(name, {{u"object"_s, QVariant::fromValue(r)}});
        QTRY_VERIFY(QFile::exists(r->partialPath(t.library())));

        QCOMPARE(downloads.waitForAll(), 1);
        // The download's own failure path has run before the wait returned: nothing runs any
        // more, and no history row is left without its file.
        auto *center = HttpFileDownloadCenter::sharedInstance();
        QCOMPARE(center->runningCount(), 0);
        QVERIFY(!center->isInDownloadingFileQueue(*r));
        QVERIFY(DataBaseCenter::sharedInstance()->getQuickTransfer().isEmpty());
        t.core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        QVERIFY(!QFile::exists(r->partialPath(t.library())));
        QVERIFY(!QFile::exists(r->downloadPath(t.library())));
    }
};

QTEST_GUILESS_MAIN(TestCliDownloads)
#include "tst_cli_downloads.moc"
