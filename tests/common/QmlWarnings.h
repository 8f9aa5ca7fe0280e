#pragma once

// Collects the warnings a run prints (QML's among them), so a window test or the screenshot tour
// can fail on any. The message still reaches stderr.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace QmlWarnings {
inline QStringList &collected()
{
    static QStringList warnings;
    return warnings;
}

inline QtMessageHandler &previous()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

inline void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A test machine without a session runtime folder is not the window's fault.
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !message.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        collected() << message;
    previous()(type, context, message);
}

inline void install()
{
    previous() = qInstallMessageHandler(collect);
}
} // namespace QmlWarnings
