// The window started on a data folder that another process holds.
#include "LinuxFolderAccess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

class TestWindowDataFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void folderInUseEndsTheWindowWithAMessage()
    {
        const QString bin = qEnvironmentVariable("ZEPHYR_APP_BIN");
        QVERIFY2(!bin.isEmpty(), "ZEPHYR_APP_BIN is not set: run the test through ctest");
        QTemporaryDir dirs;
        const QString data = dirs.filePath(u"data"_s);
        LinuxFolderAccess access;
        const FolderLockAttempt held = access.lock(data);
        QVERIFY2(held.lock, qPrintable(held.error));

        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ZEPHYR_DATA_DIR"_s, data);
        env.insert(u"ZEPHYR_KEYCHAIN_DIR"_s, dirs.filePath(u"kc"_s));
        env.insert(u"ZEPHYR_SSID"_s, QString());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        window.setProcessEnvironment(env);
        window.start(bin);
        // A window still running is killed when the QProcess goes.
        QVERIFY2(window.waitForFinished(20000), "the window kept running on a folder in use");
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(window.readAllStandardError());
        QVERIFY2(err.contains(u"the data folder %1 is in use by another process (pid %2)"_s.arg(
                     data, QString::number(::getpid()))),
                 qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestWindowDataFolder)
#include "tst_window_datafolder.moc"
