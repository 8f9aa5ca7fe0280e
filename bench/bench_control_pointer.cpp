// Building and sending one pointer-motion datagram, as the touch pad does for every pan step.
// Prints the median over many sends beside its limit; exits 1 when the limit is exceeded.
#include "ControlDatagram.h"
#include "DefaultsKeys.h"
#include "TestCore.h"
#include "UDPCenter.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr double LimitMicros = 20.0;
    constexpr int Sends = 20000;

    QUdpSocket pc;
    QUdpSocket probe;
    if (!pc.bind(QHostAddress::LocalHost, 0) || !probe.bind(QHostAddress::LocalHost, 0))
        return 2;
    AppConfig config;
    config.pcPort = pc.localPort();
    config.udpPort = probe.localPort();
    probe.close();
    config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
    TestCore core(config);
    core.core->userDefaults().setValue(DefaultsKeys::Token, u"00112233445566778899aabbccddeeff"_s);
    UDPCenter *center = core.make<UDPCenter>(*core.hub(), *core.core->runtimeState(),
                                             config.udpPort, config.pcPort);
    center->start();
    if (!center->isBound())
        return 2;

    std::vector<double> micros;
    micros.reserve(Sends);
    for (int i = 0; i < Sends; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool sent = center->sendMouseAction(
            ControlDatagram::MouseMove, ControlDatagram::motionData(0.37 * (i % 50), -1.25));
        const auto end = std::chrono::steady_clock::now();
        if (!sent)
            return 2;
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        if (i % 256 == 0) // keep the PC's receive queue from filling
            while (pc.hasPendingDatagrams())
                pc.receiveDatagram();
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[micros.size() * 99 / 100];
    std::printf("pointer message build+send: median %.2f us, p99 %.2f us (limit %.0f us)\n", median,
                p99, LimitMicros);
    return median <= LimitMicros ? 0 : 1;
}
