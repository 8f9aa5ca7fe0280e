// The control channel over loopback sockets; a plain QUdpSocket plays the PC.
#include "ControlDatagram.h"
#include "NotificationNames.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "UDPCenter.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

namespace {
const QString kPcMid = u"0123456789ABCDEF0123456789ABCDEF"_s;
const QString kPcUa = u"PC;3.0;Windows;ZEPHYR-PC;127.0.0.1;8360;%1;;"_s.arg(kPcMid);

// A message with the PC's identity. The format is pinned in its own test.
QByteArray datagramOf(QVariantMap message, const QString &ua = kPcUa)
{
    message[u"ua"_s] = ua;
    return ControlDatagram::encode(message).value_or(QByteArray());
}

QByteArray pushOf(int cm, const QVariantMap &dt, const QString &ua = kPcUa)
{
    return datagramOf({{u"cm"_s, cm}, {u"dt"_s, dt}}, ua);
}

QuickTransferObjectPtr recordIn(const QVariantMap &payload)
{
    return payload.value(u"object"_s).value<QuickTransferObjectPtr>();
}
} // namespace

class TestUDPCenter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<QUdpSocket>();
        QVERIFY(m_pc->bind(QHostAddress::LocalHost, 0));
        AppConfig config;
        config.pcPort = m_pc->localPort();
        config.pcAddressOverride = u"127.0.0.1"_s;
        m_core = std::make_unique<TestCore>(config);
        m_center = m_core->make<UDPCenter>(*m_core->hub(), *state(), quint16(0), config.pcPort);
        QVERIFY(m_center->start());
    }

    // Another client on the hotspot may know the PC's machine id: only the PC's own address is
    // heard, and once the machine id is known only with it. Tried with the worst: a blacklisting.
    void whoIsHeard_data()
    {
        QTest::addColumn<QString>("serverMid");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("ua");
        QTest::addColumn<bool>("heard");
        const QString pc = u"127.0.0.1"_s, neighbour = u"127.0.0.2"_s;
        QTest::newRow("the PC") << kPcMid << pc << kPcUa << true;
        QTest::newRow("no machine id yet: any identity") << QString() << pc << u"x"_s << true;
        QTest::newRow("another machine id")
            << kPcMid << pc << u"PC;3;W;n;1.2.3.4;8360;OTHER;;"_s << false;
        QTest::newRow("another address") << kPcMid << neighbour << kPcUa << false;
        QTest::newRow("another address, no machine id yet")
            << QString() << neighbour << kPcUa << false;
    }
    void whoIsHeard()
    {
        QFETCH(QString, serverMid);
        QFETCH(QString, sender);
        QFETCH(QString, ua);
        QFETCH(bool, heard);
        state()->setServerMid(serverMid);
        state()->setStatus(AppStatusAuthorized);
        QUdpSocket from;
        QVERIFY(from.bind(QHostAddress(sender), 0));
        from.writeDatagram(pushOf(1014, {{u"action"_s, 2}}, ua), QHostAddress::LocalHost,
                           m_center->localPort());
        if (heard) {
            QTRY_COMPARE(state()->status(), quint64(AppStatusBlacklisted));
        } else {
            settle();
            QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        }
    }

    // A file push is saved, listed and downloaded as one record, its size kept past 4 GB and a
    // negative size read as none; texts are the burst case's.
    void filePushesBecomeRecords()
    {
        const QStringList names = {Notifications::SaveQuickTransfer,
                                   Notifications::RefreshQuickTransferList,
                                   Notifications::DoDownloadFile};
        NotificationRecorder recorder(m_core->hub(), names);
        for (const auto &[size, kept] :
             {std::pair{qint64(5368709120), quint64(5368709120)}, {-5, 0}}) {
            recorder.clear();
            pushToPhone(pushOf(1015, {{u"path"_s, u"C:/docs/report.PDF"_s}, {u"size"_s, size}}));
            QTRY_COMPARE(recorder.posted, names);
            const QuickTransferObjectPtr file = recordIn(recorder.payloads.first());
            QCOMPARE(recordIn(recorder.payloads.last()), file);
            QCOMPARE(file->size, kept);
        }
    }

    // Messages that decode but make no sense change nothing; undecodable datagrams are
    // tst_controldatagram's.
    void brokenDatagramsAreDropped()
    {
        state()->setStatus(AppStatusAuthorized);
        QSignalSpy pushes(m_center, &UDPCenter::pushReceived);
        pushToPhone(datagramOf({{u"cm"_s, 1014}, {u"dt"_s, QVariantList{2}}}));
        pushToPhone(datagramOf({{u"cm"_s, u"x"_s}, {u"dt"_s, QVariantMap{{u"action"_s, 2}}}}));
        pushToPhone(pushOf(1016, {{u"text"_s, u""_s}}));
        pushToPhone(pushOf(1015, {{u"size"_s, 3}}));
        settle();
        QCOMPARE(pushes.size(), 1); // the marker only
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
    }

    // A person's handful of texts and files pushed at once all land; the same text, or the same
    // file and size, pushed again at once adds no second record.
    void aBurstLandsAndRepeatsAreStoredOnce()
    {
        NotificationRecorder recorder(
            m_core->hub(), {Notifications::SaveQuickTransfer, Notifications::DoDownloadFile});
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 6; ++i)
                pushToPhone(pushOf(1016, {{u"text"_s, u"第%1条"_s.arg(i)}}));
            pushToPhone(pushOf(1015, {{u"path"_s, u"C:/a.jpg"_s}, {u"size"_s, 10}}));
        }
        pushToPhone(pushOf(1015, {{u"path"_s, u"C:/b.jpg"_s}, {u"size"_s, 10}}));
        pushToPhone(pushOf(1015, {{u"path"_s, u"C:/a.jpg"_s}, {u"size"_s, 11}}));
        settle();
        QStringList texts;
        for (const QVariantMap &payload : recorder.payloads)
            if (recordIn(payload)->type == QuickTransferTypeText)
                texts << recordIn(payload)->dt;
        QCOMPARE(texts, (QStringList{u"第0条"_s, u"第1条"_s, u"第2条"_s, u"第3条"_s, u"第4条"_s,
                                     u"第5条"_s, u"marker %1"_s.arg(m_markers)}));
        QCOMPARE(recorder.count(Notifications::DoDownloadFile), 3);
    }

    // A flood of large texts and files adds a bounded number of records; the budget comes back
    // with time, so the PC is heard again afterwards.
    void floodsOfPushesAreBounded()
    {
        NotificationRecorder recorder(
            m_core->hub(), {Notifications::SaveQuickTransfer, Notifications::DoDownloadFile});
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"pushes arrive faster than .*dropped"_s));
        const QString filler(15000, u'x');
        QElapsedTimer flood;
        flood.start();
        for (int i = 0; i < 3000; ++i) {
            if (i % 3 == 2)
                pushToPhone(pushOf(1015, {{u"path"_s, u"C:/f%1.bin"_s.arg(i)}, {u"size"_s, 1}}));
            else
                pushToPhone(pushOf(1016, {{u"text"_s, u"%1 %2"_s.arg(i).arg(filler)}}));
            if (i % 50 == 49)
                QTest::qWait(1);
        }
        QTest::qWait(200);
        const qsizetype flooded = recorder.count(Notifications::SaveQuickTransfer);
        const qint64 refilled = flood.elapsed() / UDPCenter::PushRefillMs + 1;
        QVERIFY2(flooded >= UDPCenter::PushBurst && flooded <= UDPCenter::PushBurst + refilled,
                 qPrintable(QString::number(flooded)));
        QVERIFY(recorder.count(Notifications::DoDownloadFile) <= flooded);
        QTest::qWait(UDPCenter::PushRefillMs);
        settle();
        QCOMPARE(recorder.count(Notifications::SaveQuickTransfer), flooded + 1);
    }

private:
    RuntimeState *state() const { return m_core->core->runtimeState(); }

    void pushToPhone(const QByteArray &datagram)
    {
        m_pc->writeDatagram(datagram, QHostAddress::LocalHost, m_center->localPort());
    }

    /// Lets the datagrams sent so far be handled: once a marker push's toast shows, every
    /// earlier datagram has been.
    void settle()
    {
        const QString ua = u"PC;3;W;n;h;8360;%1;;"_s.arg(state()->serverMid());
        QSignalSpy toasts(m_center, &UDPCenter::toastRequested);
        pushToPhone(pushOf(1016, {{u"text"_s, u"marker %1"_s.arg(++m_markers)}}, ua));
        QTRY_VERIFY(!toasts.isEmpty());
    }

    std::unique_ptr<QUdpSocket> m_pc;
    std::unique_ptr<TestCore> m_core;
    UDPCenter *m_center = nullptr;
    int m_markers = 0;
};

QTEST_GUILESS_MAIN(TestUDPCenter)
#include "tst_udpcenter.moc"
