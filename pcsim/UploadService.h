#pragma once

#include "PcState.h"

#include <QFile>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <map>
#include <memory>

// Receives uploads on the PC port: identity message, then items of header, raw content and
// size trailer, each answered with the received size (4 bytes, big-endian), then the end marker.
class UploadService : public QObject
{
    Q_OBJECT
public:
    explicit UploadService(PcState &state, QObject *parent = nullptr);
    // Takes over a connection whose first byte said "upload"; data is what was read so far.
    void take(QTcpSocket *socket, const QByteArray &data);

private:
    enum class Stage { Identity, IdentityEnd, Item, Header, Content, Trailer, Replying, Done };
    struct Session
    {
        QTcpSocket *socket = nullptr;
        QByteArray buf;
        Stage stage = Stage::Identity;
        QString ua;
        QString pcPath;
        quint32 size = 0, time = 0, received = 0;
        std::unique_ptr<QFile> file;
        QTimer idle;
    };

    void process(Session &s);
    // Content straight from the socket to the file, in large blocks, until nothing is waiting.
    bool drainContent(Session &s);
    void fail(Session &s, const QString &why);
    void reply(Session &s, quint32 trailer);

    PcState &m_state;
    std::map<QTcpSocket *, std::unique_ptr<Session>> m_sessions;
    QByteArray m_block;
};
