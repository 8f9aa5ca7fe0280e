#pragma once

// Runs the stand-in PC (ZEPHYR_PC_BIN) over a temporary folder on loopback, with every port
// chosen by it at start, and speaks its HTTP+JSON control interface.

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

struct PcSimProcess
{
    PcSimProcess() = default;
    PcSimProcess(const PcSimProcess &) = delete;
    ~PcSimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
            process.waitForFinished(2000);
        }
    }

    /// Starts it; false (with the reason in error) when it cannot run.
    bool start()
    {
        const QString bin = qEnvironmentVariable("ZEPHYR_PC_BIN");
        if (bin.isEmpty()) {
            error = QStringLiteral("ZEPHYR_PC_BIN is not set");
            return false;
        }
        if (qEnvironmentVariableIsSet("ZEPHYR_PC_LOG"))
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        else
            process.setStandardErrorFile(QProcess::nullDevice());
        process.start(bin, {QStringLiteral("--root"), root.path(), QStringLiteral("--port"),
                            QStringLiteral("0"), QStringLiteral("--bind"),
                            QStringLiteral("127.0.0.1")});
        if (!process.waitForStarted(5000)) {
            error = process.errorString();
            return false;
        }
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(10000)) {
                error = QStringLiteral("no ready line");
                return false;
            }
        }
        ready = QJsonDocument::fromJson(process.readLine()).object();
        port = quint16(ready.value(QStringLiteral("port")).toInt());
        controlPort = quint16(ready.value(QStringLiteral("control")).toInt());
        return port && controlPort;
    }

    /// POST /path with a JSON body (GET for "state"); the answer object.
    QJsonObject control(const QString &path, const QJsonObject &body = {})
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/%2")
                                         .arg(controlPort)
                                         .arg(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        QNetworkReply *reply = path == QStringLiteral("state")
                                   ? network.get(request)
                                   : network.post(request, QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return answer;
    }
    QJsonObject state() { return control(QStringLiteral("state")); }

    /// The local file behind a PC path such as "C:/up/a.jpg".
    [[nodiscard]] QString localPath(const QString &pcPath) const { return root.filePath(pcPath); }

    QTemporaryDir root;
    QProcess process;
    QNetworkAccessManager network;
    QJsonObject ready;
    quint16 port = 0;
    quint16 controlPort = 0;
    QString error;
};
