#pragma once

// The stand-in PC with files on its disks and a selection to hand out on a shake, and a phone
// core logged in to it as its administrator: pc.startWith({{u"C:/p/a.pdf"_s, 20000}}), then
// TestCore t(pc.config()), pc.logIn(t) and pc.selectFile(u"C:/p/a.pdf"_s).

#include "DataBaseCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestServices.h"

#include <QFile>
#include <QJsonArray>
#include <QMap>
#include <QSignalSpy>
#include <QTest>

class PcContent : public PcSim
{
public:
    /// Starts the PC with a file of each size at its path ("C:/p/a.pdf"), folders made as needed.
    bool startWith(const QMap<QString, qint64> &files)
    {
        if (!start())
            return false;
        for (auto it = files.begin(); it != files.end(); ++it) {
            const QString path = rootPath() + u'/' + it.key();
            QFile file(path);
            if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly) ||
                !file.resize(it.value()))
                return false;
        }
        return true;
    }

    /// What the next shake hands out.
    bool select(const QJsonObject &selection)
    {
        return control(QStringLiteral("selection"), selection).value(QStringLiteral("ok")).toBool();
    }
    bool selectFile(const QString &path)
    {
        return select(
            {{QStringLiteral("type"), QStringLiteral("file")}, {QStringLiteral("path"), path}});
    }
    bool selectFiles(const QStringList &paths)
    {
        return select({{QStringLiteral("type"), QStringLiteral("files")},
                       {QStringLiteral("paths"), QJsonArray::fromStringList(paths)}});
    }

    /// Resets the PC, creates every service of @p t and logs in: true once the phone is the
    /// administrator and has had the PC's disk list once.
    bool logIn(TestCore &t)
    {
        control(QStringLiteral("reset"));
        createServices(t);
        QSignalSpy disks(HttpRequestCenter::sharedInstance(), &HttpRequestCenter::diskInfoFinished);
        LoginAndAuthCenter::sharedInstance()->startLogin();
        const bool in = QTest::qWaitFor(
            [&] {
                return t.core->runtimeState()->status() == AppStatusAuthorized && !disks.isEmpty();
            },
            10000);
        return in && disks.count() == 1;
    }

    static QList<quint64> storedIds()
    {
        QList<quint64> ids;
        for (const auto &r : DataBaseCenter::sharedInstance()->getQuickTransfer())
            ids << r->identifier;
        return ids;
    }
};
