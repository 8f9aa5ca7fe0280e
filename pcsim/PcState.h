#pragma once

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// A scripted misbehaviour, consumed by the request it matches.
struct Fault
{
    QString target; // "login", "auth", "upload", "http" or an HTTP route key
    QString kind;   // close, hang, 403, garbage, notjson, wrongkind, short, delay
    int ms = 0;
    int count = 1; // <= 0: until cleared
};

// Everything the stand-in PC knows: its folder tree, settings, verdicts, faults and
// what it has received. Shared by all services; single-threaded.
class PcState
{
public:
    explicit PcState(const QString &root);

    void reset(); // back to the start-up settings; forgets records and faults

    // Identity and addresses.
    QString host; // address the services listen on, as written in the api base
    quint16 port = 0, httpPort = 0, controlPort = 0;
    QString machineId;
    QString pcName;
    [[nodiscard]] QString pcUa(const QString &token = {}) const;
    [[nodiscard]] QString apiBase(const QString &hostOverride = {}) const;

    // Settings the phone reads and changes.
    int volume = 50;
    bool locked = false;
    int shutdownSec = 0;
    bool ppt = false;
    bool strict = false;
    QJsonArray clients, blocks;
    QJsonObject selection;             // as posted to the control interface
    QJsonValue loginType, loginEnable; // undefined: the key is left out of the reply
    QString authVerdict;               // accept, refuse, action
    int authAction = 1;
    QString fixedToken; // handed out instead of a fresh token when set
    QStringList tokens; // every token handed out, newest last
    int feedbackErrno = 0;
    QJsonObject statsAnswer;

    // Where pushes go: learned from logins and datagrams, or set explicitly.
    QString phoneHost;
    quint16 phonePort = 0;

    // Records.
    QJsonArray logins, udp, uploads, feedback, stats, operations;
    QHash<QString, int> requests;
    void count(const QString &key) { ++requests[key]; }
    static void record(QJsonArray &list, const QJsonValue &value);

    QList<Fault> faults;
    std::optional<Fault> takeFault(const QStringList &targets);

    [[nodiscard]] bool tokenAccepted(const QString &ua) const;
    QString issueToken();

    // The folder tree. PC paths are "C:/Users/a.txt" ("\" accepted); nullopt when the path
    // is empty or climbs out with "..".
    [[nodiscard]] std::optional<QString> resolve(const QString &pcPath) const;
    [[nodiscard]] QString pcPathOf(const QString &localPath) const;
    [[nodiscard]] QJsonObject entry(const QFileInfo &info) const;
    [[nodiscard]] QJsonArray listDrives() const;
    [[nodiscard]] std::optional<QJsonArray> list(const QString &pcPath) const;
    bool recycle(const QString &pcPath);
    bool rename(const QString &pcPath, const QString &newName);
    bool move(const QString &pcPath, const QString &destDir);
    QString takeScreenshot();                      // PC path of a fresh PNG
    [[nodiscard]] QJsonObject shakeAnswer() const; // full answer object {"err","data"}

    [[nodiscard]] QJsonObject toJson() const;
    [[nodiscard]] QString root() const { return m_root.absolutePath(); }

private:
    [[nodiscard]] QJsonObject fileItem(const QString &pcPath, const QJsonObject &hints) const;
    QDir m_root;
    int m_shots = 0;
};

[[nodiscard]] bool isPicture(const QString &name);
void logLine(const QString &line);
