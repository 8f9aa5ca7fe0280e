// The keychains of this machine: the file store, and the secret service with the file store
// behind it, against a desktop wallet on a bus of the test's own that answers late or never.
#include "FileKeychain.h"
#include "PrivateBus.h"
#include "SecretServiceKeychain.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
// The desktop wallet's service as the secret service library reaches it under KDE. Silent, it
// never answers; otherwise it answers late that the wallet holds no such item.
class FakeWallet : public QDBusVirtualObject
{
public:
    explicit FakeWallet(QDBusConnection bus) : m_bus(std::move(bus)) {}
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        ++calls;
        if (silent)
            return true;
        QDBusMessage reply;
        if (message.member() == u"networkWallet")
            reply = message.createReply(u"kdewallet"_s);
        else if (message.member() == u"open")
            reply = message.createReply(1);
        else if (message.member() == u"entryType")
            reply = message.createReply(0); // no such entry
        else
            reply = message.createErrorReply(u"org.freedesktop.DBus.Error.UnknownMethod"_s,
                                             message.member());
        QTimer::singleShot(200, this, [this, reply] { m_bus.send(reply); });
        return true;
    }
    bool silent = true;
    int calls = 0;

private:
    QDBusConnection m_bus;
};
} // namespace

class TestKeychain : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<FakeWallet> m_wallet;

    static std::optional<QByteArray> loadFrom(Keychain &chain, const QString &service)
    {
        std::optional<std::optional<QByteArray>> answer;
        QObject owner;
        chain.load(service, &owner, [&](std::optional<QByteArray> data) { answer = data; });
        (void)QTest::qWaitFor([&] { return answer.has_value(); }, 10000);
        return answer.value_or(std::nullopt);
    }

    static bool saveTo(Keychain &chain, const QString &service, const QByteArray &data)
    {
        std::optional<bool> answer;
        QObject owner;
        chain.save(service, data, &owner, [&](bool ok) { answer = ok; });
        (void)QTest::qWaitFor([&] { return answer.has_value(); }, 10000);
        return answer.value_or(false);
    }

private Q_SLOTS:
    // The secret service library runs one job at a time: a job the silent wallet never
    // answers holds up every later one, so the answering wallet is tried first.
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY2(m_bus->start(), "dbus-daemon is needed (package dbus-daemon)");
        QDBusConnection server = m_bus->connect(u"wallet"_s);
        m_wallet = std::make_unique<FakeWallet>(server);
        QVERIFY(server.registerVirtualObject(u"/modules/kwalletd5"_s, m_wallet.get()));
        QVERIFY(server.registerService(u"org.kde.kwalletd5"_s));
        // The secret service library picks its backend once per process, from these.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address.toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        qputenv("KDE_SESSION_VERSION", "5");
        qunsetenv("DISPLAY");
    }

    // Items answer after the call, persist owner-only, and an answer for a receiver that is
    // gone is dropped; a folder that cannot be made refuses the item.
    void fileItemsAnswerLaterAndPersist()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"keychain"_s);
        {
            FileKeychain chain(folder);
            bool answered = false;
            chain.save(u"key_uuid"_s, "one", nullptr, [&](bool ok) { answered = ok; });
            QVERIFY(!answered);
            QTRY_VERIFY(answered);
            QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                     QFile::Permissions());
        }
        FileKeychain again(folder);
        QCOMPARE(loadFrom(again, u"key_uuid"_s), QByteArray("one"));
        bool answered = false;
        auto *receiver = new QObject;
        again.remove(u"key_uuid"_s, receiver, [&](bool) { answered = true; });
        delete receiver;
        QTest::qWait(50);
        QVERIFY(!answered);
        QVERIFY(!loadFrom(again, u"key_uuid"_s));

        QVERIFY(QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        FileKeychain blocked(dir.filePath(u"file/keychain"_s));
        QVERIFY(!saveTo(blocked, u"key_uuid"_s, "two"));
    }

    // The wallet answers (late) that it has no such item: the files are asked, and the wallet
    // is still used.
    void itemMissingFromTheServiceIsLookedUpInTheFiles()
    {
        m_wallet->silent = false;
        QTemporaryDir dir;
        auto files = std::make_unique<FileKeychain>(dir.path());
        QVERIFY(saveTo(*files, u"key_uuid"_s, "from an earlier run"));
        SecretServiceKeychain chain(std::move(files), 5000);
        QCOMPARE(loadFrom(chain, u"key_uuid"_s), QByteArray("from an earlier run"));
        QVERIFY(m_wallet->calls > 0);
        QVERIFY(!chain.usesFallback());
    }

    // A wallet that never answers is given up within the time-out and not asked again: the
    // files keep and give the item.
    void silentServiceGivesWayToTheFiles()
    {
        m_wallet->silent = true;
        QTemporaryDir dir;
        SecretServiceKeychain chain(std::make_unique<FileKeychain>(dir.path()), 300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(saveTo(chain, u"key_uuid"_s, "kept"));
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(chain.usesFallback());
        const int calls = m_wallet->calls;
        QCOMPARE(loadFrom(chain, u"key_uuid"_s), QByteArray("kept"));
        QCOMPARE(m_wallet->calls, calls);
    }
};

QTEST_GUILESS_MAIN(TestKeychain)
#include "tst_keychain.moc"
