// Decoding a 20,000-entry directory answer of the PC into file records, as the file browser
// does when a large folder is opened. Prints the median over several runs beside its limit;
// exits 1 when the limit is exceeded.
#include "FileObject.h"
#include "HttpAnswer.h"
#include "Utils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr int Entries = 20000;
constexpr int Runs = 9;
constexpr double LimitMs = 60.0;

// The PC's answer: JSON, complemented byte by byte, then Base64.
QByteArray pcAnswer()
{
    QJsonArray files;
    for (int i = 0; i < Entries; ++i) {
        const QString name = u"Résumé %1 – notes.txt"_s.arg(i, 5, 10, QChar(u'0'));
        files.append(QJsonObject{
            {u"name"_s, name},
            {u"path"_s, u"D:\\Documents\\Archive\\"_s + name},
            {u"type"_s, i % 7 == 0 ? 1 : 0},
            {u"time"_s, 1700000000.0 + i},
            {u"size"_s, double(i) * 4096.0 + 17.0},
            {u"desc"_s, u"Text Document"_s},
            {u"thumb"_s, i % 3 == 0 ? u"/thumb/%1.jpg"_s.arg(i) : QString()},
        });
    }
    const QJsonObject answer{{u"err"_s, 0}, {u"data"_s, QJsonObject{{u"files"_s, files}}}};
    return Utils::negated(QJsonDocument(answer).toJson(QJsonDocument::Compact)).toBase64();
}

// The records the directory listing notification carries, built as the request center does.
QVariantList records(const QByteArray &body)
{
    const HttpAnswer answer = HttpAnswer::decode(u"D:\\Documents\\Archive"_s, 200, body);
    const QVariantMap top = answer.value.toMap();
    if (top.value(u"err"_s).toInt() != 0)
        return {};
    const QVariantList files = top.value(u"data"_s).toMap().value(u"files"_s).toList();
    QVariantList out;
    for (const QVariant &entry : files)
        out << QVariant::fromValue(FileObjectPtr::create(entry));
    return out;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray body = pcAnswer();

    std::vector<double> ms;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QVariantList list = records(body);
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        if (list.size() != Entries)
            return 2;
        const auto last = list.constLast().value<FileObjectPtr>();
        if (!last || last->size != quint64(Entries - 1) * 4096 + 17 || last->name.isEmpty())
            return 2;
        ms.push_back(elapsed);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("directory answer of %d entries (%lld bytes) to records: median %.1f ms, "
                "best %.1f ms (limit %.0f ms)\n",
                Entries, static_cast<long long>(body.size()), median, ms.front(), LimitMs);
    return median <= LimitMs ? 0 : 1;
}
