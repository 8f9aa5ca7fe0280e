// Decoding a 20,000-entry directory answer of the PC, as the file browser does when a large
// folder is opened, beside the same answer decoded through QJsonDocument in the same run. The
// runs alternate and are timed in the thread's CPU time, so that other work on the machine does
// not count. Prints the medians and their ratio; exits 1 when the answer takes more than half
// the time of the QJsonDocument reading.
#include "Base64.h"
#include "FileObject.h"
#include "HttpAnswer.h"
#include "Utils.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr int Entries = 20000;
constexpr int Runs = 9;
constexpr double LimitRatio = 0.5;

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

// The same layers as the answer decoding, each done by Qt: Base64, the complement, the two
// rewrites, and the JSON read by QJsonDocument into the same kinds of values.
QVariant throughQJsonDocument(const QByteArray &body)
{
    QByteArray bytes = Utils::negated(QByteArray::fromBase64(body));
    bytes.replace("\r\\n", "\\n");
    bytes.replace("\\'", "'");
    return QJsonDocument::fromJson(bytes).object().toVariantMap();
}

// The records the directory listing notification carries, built as the request center does.
QVariantList records(const QVariant &answer)
{
    const QVariantMap top = answer.toMap();
    if (top.value(u"err"_s).toInt() != 0)
        return {};
    const QVariantList files = top.value(u"data"_s).toMap().value(u"files"_s).toList();
    QVariantList out;
    for (const QVariant &entry : files)
        out << QVariant::fromValue(FileObjectPtr::create(entry));
    return out;
}

bool complete(const QVariantList &list)
{
    if (list.size() != Entries)
        return false;
    const auto last = list.constLast().value<FileObjectPtr>();
    return last && last->size == quint64(Entries - 1) * 4096 + 17 && !last->name.isEmpty();
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Milliseconds of CPU time since the last call.
class Lap
{
public:
    double operator()()
    {
        const double now = cpuMs();
        const double lap = now - m_last;
        m_last = now;
        return lap;
    }

private:
    double m_last = cpuMs();
};

double median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray body = pcAnswer();

    std::vector<double> ours, reference, toRecords, referenceToRecords, onePass, qtBase64;
    for (int run = 0; run < Runs; ++run) {
        Lap lap;
        const QVariant answer = HttpAnswer::decode(u"D:\\Documents\\Archive"_s, 200, body).value;
        ours.push_back(lap());
        const QVariantList list = records(answer);
        toRecords.push_back(ours.back() + lap());

        const QVariant expected = throughQJsonDocument(body);
        reference.push_back(lap());
        const QVariantList expectedList = records(expected);
        referenceToRecords.push_back(reference.back() + lap());
        if (!complete(list) || !complete(expectedList) || expected != answer)
            return 2;

        // The Base64 layer alone: the one-pass decoder against Qt's and a separate complement.
        lap();
        const auto direct = Base64::decodeComplemented(body);
        onePass.push_back(lap());
        const QByteArray general = Utils::negated(QByteArray::fromBase64(body));
        qtBase64.push_back(lap());
        if (!direct || *direct != general)
            return 2;
    }
    const double ratio = median(ours) / median(reference);
    std::printf("directory answer of %d entries (%lld bytes), CPU time, medians of %d runs:\n",
                Entries, static_cast<long long>(body.size()), Runs);
    std::printf("  decoded              %6.1f ms   through QJsonDocument %6.1f ms   ratio %.2f "
                "(limit %.2f)\n",
                median(ours), median(reference), ratio, LimitRatio);
    std::printf("  decoded to records   %6.1f ms   through QJsonDocument %6.1f ms   ratio %.2f\n",
                median(toRecords), median(referenceToRecords),
                median(toRecords) / median(referenceToRecords));
    std::printf("  Base64 + complement  %6.1f ms   Qt's decoder, then complement %6.1f ms   "
                "ratio %.2f\n",
                median(onePass), median(qtBase64), median(onePass) / median(qtBase64));
    return ratio <= LimitRatio ? 0 : 1;
}
