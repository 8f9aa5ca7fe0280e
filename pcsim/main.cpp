// zephyr-pc: plays the PC program for the phone application on one host.
#include "ApiService.h"
#include "ControlService.h"
#include "LoginService.h"
#include "PcState.h"
#include "UdpService.h"
#include "UploadService.h"
#include "Wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonObject>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

int fail(const QString &why)
{
    std::fprintf(stderr, "zephyr-pc: %s\n", why.toUtf8().constData());
    return 1;
}

std::optional<quint16> portOption(const QCommandLineParser &p, const QString &name)
{
    bool ok = false;
    const uint v = p.value(name).toUInt(&ok);
    if (!ok || v > 65535)
        return std::nullopt;
    return quint16(v);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"zephyr-pc"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Stand-in PC program for the ZephyrWiFi phone application"_s);
    parser.addHelpOption();
    parser.addOptions({
        {u"root"_s, u"Folder that is the PC's file system (drives C:, D: ... and Desktop)."_s,
         u"dir"_s},
        {u"bind"_s, u"Address to listen on (default 127.0.0.1)."_s, u"address"_s, u"127.0.0.1"_s},
        {u"port"_s, u"PC port for TCP and UDP; 0 picks one free for both."_s, u"n"_s, u"0"_s},
        {u"http-port"_s, u"HTTP service port; 0 picks a free one."_s, u"n"_s, u"0"_s},
        {u"control-port"_s, u"Control interface port; 0 picks a free one."_s, u"n"_s, u"0"_s},
    });
    parser.process(app);
    if (!parser.isSet(u"root"_s))
        return fail(u"--root DIR is required"_s);
    const auto port = portOption(parser, u"port"_s);
    const auto httpPort = portOption(parser, u"http-port"_s);
    const auto controlPort = portOption(parser, u"control-port"_s);
    if (!port || !httpPort || !controlPort)
        return fail(u"ports must be numbers from 0 to 65535"_s);
    const QHostAddress bind(parser.value(u"bind"_s));
    if (bind.isNull())
        return fail(u"--bind needs an IP address"_s);

    PcState state(parser.value(u"root"_s));
    state.host = bind == QHostAddress(QHostAddress::AnyIPv4) ? u"0.0.0.0"_s : bind.toString();
    UploadService uploads(state);
    LoginService login(state, uploads);
    UdpService udp(state);
    ApiService api(state);
    ControlService control(state, udp);

    // The PC port must be free for TCP and UDP alike.
    bool bound = false;
    for (int attempt = 0; attempt < (*port ? 1 : 50) && !bound; ++attempt) {
        if (!login.listen(bind, *port))
            continue;
        bound = udp.bind(bind, login.port());
        if (!bound)
            login.close();
    }
    if (!bound)
        return fail(u"cannot listen on TCP and UDP port %1"_s.arg(*port));
    state.port = login.port();
    state.httpPort = api.listen(bind, *httpPort);
    state.controlPort = control.listen(bind, *controlPort);
    if (!state.httpPort || !state.controlPort)
        return fail(u"cannot listen on the HTTP or control port"_s);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return fail(u"socketpair failed"_s);
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [] {
        char c = 0;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
        logLine(u"signal received; exiting"_s);
        QCoreApplication::quit();
    });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    const QString shown = state.host == u"0.0.0.0"_s ? u"127.0.0.1"_s : state.host;
    const QString base = state.apiBase(shown);
    const QJsonObject ready{
        {u"port"_s, state.port}, {u"http"_s, state.httpPort}, {u"control"_s, state.controlPort},
        {u"api"_s, base},        {u"feedback"_s, base},       {u"stats"_s, base}};
    std::fprintf(stdout, "%s\n", Wire::compact(ready).constData());
    std::fflush(stdout);
    logLine(u"serving %1 (machine id %2)"_s.arg(state.root(), state.machineId));
    return app.exec();
}
