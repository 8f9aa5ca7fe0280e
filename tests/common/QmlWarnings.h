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
    // A test machine without a session runtime folder is not the window's fault, nor are the
    // notes Qt 6.4's web engine module prints about its value types whenever it is imported.
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !message.contains(QStringLiteral("XDG_RUNTIME_DIR")) &&
        !message.contains(QStringLiteral(
            "nor default- and copy-constructible. You should not use it as a QML type")))
        collected() << message;
    previous()(type, context, message);
}

inline void install()
{
    previous() = qInstallMessageHandler(collect);
}
} // namespace QmlWarnings
