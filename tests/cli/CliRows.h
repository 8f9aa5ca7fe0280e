#pragma once

// Data-driven command runs against the stand-in PC. A row holds the command's words (split at
// each space), its exit status, texts that must be on stdout (on stderr when it fails for
// people), split at each '|', what the PC is told first ({path, body} pairs for its control
// interface; {"stop"} stops it) and what the PC holds afterwards: paths into its state
// ("clients/2/up_limit"), or "file:PATH" for whether a file of its disks exists.

#include "CliRunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

inline QStringList words(const QString &line)
{
    return line.isEmpty() ? QStringList() : line.split(u' ');
}

inline void addCliColumns()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expect");
    QTest::addColumn<QJsonArray>("pc");
    QTest::addColumn<QJsonObject>("after");
}

inline QJsonObject rowJson(const char *text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    if (!doc.isObject())
        qFatal("not a JSON object: %s", text);
    return doc.object();
}

/// A row; @p after is a JSON object.
inline void cliRow(const char *name, const QByteArray &args, int status, const char *expect,
                   const QJsonArray &pc = {}, const char *after = "{}")
{
    QTest::newRow(name) << QString::fromUtf8(args) << status << QString::fromUtf8(expect) << pc
                        << rowJson(after);
}

/// One control call: @p body, a JSON object, POSTed to @p path.
inline QJsonArray pcTold(const char *path, const char *body)
{
    return {QJsonArray{QString::fromUtf8(path), rowJson(body)}};
}

/// The control call that makes @p route misbehave @p count times (0: until cleared).
inline QJsonArray pcFault(const char *route, const char *kind, int count = 1)
{
    return {QJsonArray{QStringLiteral("fault"),
                       QJsonObject{{QStringLiteral("target"), QString::fromUtf8(route)},
                                   {QStringLiteral("kind"), QString::fromUtf8(kind)},
                                   {QStringLiteral("count"), count}}}};
}

inline void runCliRow(PcSim &sim, const CliRunner &cli)
{
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QString, expect);
    QFETCH(QJsonArray, pc);
    QFETCH(QJsonObject, after);
    for (const auto &call : std::as_const(pc)) {
        if (call[0].toString() == QStringLiteral("stop"))
            sim.stop();
        else
            sim.control(call[0].toString(), call[1].toObject());
    }
    const CliRun run = cli.run(words(args), false);
    QVERIFY2(run.status == status, run.err.constData());
    const bool json = words(args).contains(QStringLiteral("--json"));
    const QString shown = QString::fromUtf8(status == 0 || json ? run.out : run.err);
    for (const QString &text : expect.split(u'|', Qt::SkipEmptyParts))
        QVERIFY2(shown.contains(text), qPrintable(shown));
    QVERIFY(!json || run.isJsonOnly());
    if (status != 0 && !json)
        QCOMPARE(run.out, QByteArray());
    const QJsonObject state = after.isEmpty() ? QJsonObject() : sim.state();
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (it.key().startsWith(QStringLiteral("file:")))
            QCOMPARE(QFileInfo::exists(sim.rootPath() + u'/' + it.key().mid(5)),
                     it.value().toBool());
        else {
            QJsonValue value = state;
            for (const QString &step : it.key().split(u'/'))
                value = value.isArray() ? value[step.toInt()] : value[step];
            QCOMPARE(value, it.value());
        }
    }
}
