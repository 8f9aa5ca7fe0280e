#pragma once

// Runs the stand-in PC (zephyr-pc, path in ZEPHYR_PC_BIN) on loopback over a temporary root
// folder, and talks to its control interface: pc.start(), TestCore t(pc.config()),
// pc.control(u"verdict"_s, {{u"login"_s, u"blacklisted"_s}}).

#include "AppConfig.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

class PcSim
{
public:
    ~PcSim() { stop(); }

    /// Starts zephyr-pc and waits for its ready line; false when it is not built or fails, with
    /// the reason in errorString(). A test that needs the PC fails then: it never skips.
    bool start()
    {
        const QString bin = qEnvironmentVariable("ZEPHYR_PC_BIN");
        if (bin.isEmpty() || !QFileInfo(bin).isExecutable())
            return fail(QStringLiteral("zephyr-pc is not built at ZEPHYR_PC_BIN (\"%1\"): build "
                                       "it, and run the test through ctest")
                            .arg(bin));
        m_process.setProgram(bin);
        m_process.setArguments({QStringLiteral("--root"), m_root.path()});
        // Its request log is shown only on demand: ZEPHYR_PC_VERBOSE=1.
        if (qEnvironmentVariableIsSet("ZEPHYR_PC_VERBOSE"))
            m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        else
            m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
        m_process.waitForStarted(10000);
        QDeadlineTimer deadline(15000);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        const QJsonObject ready = QJsonDocument::fromJson(m_process.readLine()).object();
        port = quint16(ready.value(QStringLiteral("port")).toInt());
        httpPort = quint16(ready.value(QStringLiteral("http")).toInt());
        controlPort = quint16(ready.value(QStringLiteral("control")).toInt());
        api = ready.value(QStringLiteral("api")).toString();
        feedbackUrl = ready.value(QStringLiteral("feedback")).toString();
        statsUrl = ready.value(QStringLiteral("stats")).toString();
        if (!port || !httpPort || !controlPort)
            return fail(QStringLiteral("zephyr-pc (%1) did not start or gave no ready line with "
                                       "its ports; run with ZEPHYR_PC_VERBOSE=1 to see its log")
                            .arg(bin));
        return true;
    }

    [[nodiscard]] QString errorString() const { return m_error; }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    /// The phone's configuration for this PC: address, port and the outside services on it.
    [[nodiscard]] AppConfig config() const
    {
        AppConfig c;
        c.pcAddressOverride = std::optional<QString>(QStringLiteral("127.0.0.1"));
        c.wifiAddressOverride = std::optional<QString>(QStringLiteral("127.0.0.1"));
        c.ssidOverride = std::optional<QString>(QStringLiteral("ZephyrWiFi"));
        c.pcPort = port;
        c.feedbackUrl = feedbackUrl;
        c.statsUrl = statsUrl;
        return c;
    }

    /// The folder served as the PC's disks ("C:", "Desktop", ...).
    [[nodiscard]] QString rootPath() const { return m_root.path(); }

    /// POSTs @p body to the control path (e.g. "verdict", "fault", "clients", "reset");
    /// returns the JSON answer, empty on failure.
    QJsonObject control(const QString &path, const QJsonObject &body = {})
    {
        return call("POST", path, QJsonDocument(body).toJson(QJsonDocument::Compact));
    }
    /// Everything the PC knows and has recorded.
    QJsonObject state() { return call("GET", QStringLiteral("state"), {}); }

    /// Schedules a misbehaviour: target "login", "auth", "upload", "upload_end", "http" or a
    /// route such as "cgi/pc_volum.mo"; kind close, hang, 403, garbage, notjson, wrongkind,
    /// short, delay, noerr, split.
    QJsonObject fault(const QString &target, const QString &kind, int ms = 0, int count = 1)
    {
        return control(QStringLiteral("fault"), {{QStringLiteral("target"), target},
                                                 {QStringLiteral("kind"), kind},
                                                 {QStringLiteral("ms"), ms},
                                                 {QStringLiteral("count"), count}});
    }

    quint16 port = 0;
    quint16 httpPort = 0;
    quint16 controlPort = 0;
    QString api;
    QString feedbackUrl;
    QString statsUrl;

private:
    bool fail(const QString &error)
    {
        m_error = error;
        stop();
        return false;
    }

    QJsonObject call(const QByteArray &verb, const QString &path, const QByteArray &body)
    {
        const QString url = QStringLiteral("http://127.0.0.1:%1/%2").arg(controlPort).arg(path);
        QNetworkRequest request{QUrl(url)};
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
        request.setTransferTimeout(10000);
        QNetworkReply *reply = m_nam.sendCustomRequest(request, verb, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return answer;
    }

    QTemporaryDir m_root;
    QProcess m_process;
    QString m_error;
    QNetworkAccessManager m_nam;
};
