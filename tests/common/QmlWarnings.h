#pragma once

// Collects the warnings a run prints (QML's among them), so a window test, a view test or the
// screenshot tour can fail on any. The message still reaches stderr.

#include <QQmlEngine>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace QmlWarnings {
inline QStringList &collected()
{
    static QStringList warnings;
    return warnings;
}

inline QtMessageHandler previous = nullptr;

/// Whether a test fails on @p message. A test machine without a session runtime folder is not
/// the window's fault, nor are the notes Qt 6.4's web engine module prints about its value types
/// whenever it is imported.
inline bool counts(QtMsgType type, const QString &message)
{
    return type != QtDebugMsg && type != QtInfoMsg &&
           !message.contains(QStringLiteral("XDG_RUNTIME_DIR")) &&
           !message.contains(QStringLiteral(
               "nor default- and copy-constructible. You should not use it as a QML type"));
}

inline void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (counts(type, message))
        collected() << message;
    previous(type, context, message);
}

inline void install()
{
    previous = qInstallMessageHandler(collect);
}

inline void failAtOnce(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    previous(type, context, message);
    if (counts(type, message)) {
        std::fputs("FAIL: a warning was printed\n", stderr);
        std::_Exit(1);
    }
}

/// Ends the run at the first warning. Qt Quick Test takes the handler over while its test
/// functions run (it reports warnings as QWARN lines then, which CTest fails on), so this covers
/// the engine's set-up.
inline void failOnWarnings()
{
    previous = qInstallMessageHandler(failAtOnce);
}

/// Publishes @p fixture to a Qt Quick Test's QML as the singleton `Fixture` of `Zephyr.Test`.
template <class F> std::unique_ptr<F> publishFixture(QQmlEngine *engine)
{
    engine->addImportPath(QStringLiteral("qrc:/"));
    auto fixture = std::make_unique<F>();
    qmlRegisterSingletonInstance("Zephyr.Test", 1, 0, "Fixture", fixture.get());
    return fixture;
}
} // namespace QmlWarnings
