#include "HttpResponseHead.h"

#include <QByteArray>
#include <QList>

namespace {
QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r'))
        v.chop(1);
    return v;
}

bool isTokenChar(char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A decimal number of at most 18 digits (no sign, no spaces inside); -1 otherwise.
qint64 decimal(QByteArrayView v)
{
    if (v.isEmpty() || v.size() > 18)
        return -1;
    qint64 n = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Offset just past the blank line that ends the head, or -1 when there is none yet.
qsizetype headEnd(QByteArrayView bytes)
{
    const qsizetype limit = qMin(bytes.size(), HttpResponseHead::kMaxBytes);
    for (qsizetype i = 0; i < limit; ++i) {
        if (bytes[i] != '\n')
            continue;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            return i + 2;
        if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n')
            return i + 3;
    }
    return -1;
}

bool readStatusLine(QByteArrayView line, HttpResponseHead *head, bool *http10)
{
    // "HTTP/1.1 200 OK": version, a space, three digits, then a space and a reason or nothing.
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || line[8] != ' ')
        return false;
    if (line[7] != '0' && line[7] != '1')
        return false;
    *http10 = line[7] == '0';
    const QByteArrayView code = line.sliced(9, 3);
    for (char c : code)
        if (c < '0' || c > '9')
            return false;
    if (line.size() > 12 && line[12] != ' ')
        return false;
    head->status = int(decimal(code));
    return head->status >= 100;
}
} // namespace

HttpResponseHead::Parse HttpResponseHead::parse(QByteArrayView bytes, HttpResponseHead *head,
                                                qsizetype *headLength)
{
    const qsizetype end = headEnd(bytes);
    if (end < 0)
        return bytes.size() >= kMaxBytes ? Parse::Invalid : Parse::Incomplete;
    if (end > kMaxBytes)
        return Parse::Invalid;

    HttpResponseHead h;
    bool http10 = false;
    bool closeAsked = false;
    bool keepAliveAsked = false;
    qsizetype pos = 0;
    bool first = true;
    while (pos < end) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        QByteArrayView line = bytes.sliced(pos, nl - pos);
        pos = nl + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (first) {
            first = false;
            if (!readStatusLine(line, &h, &http10))
                return Parse::Invalid;
            continue;
        }
        if (line.isEmpty())
            break;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return Parse::Invalid;
        const QByteArrayView name = line.first(colon);
        for (char c : name)
            if (!isTokenChar(c))
                return Parse::Invalid;
        const QByteArrayView value = trimmed(line.sliced(colon + 1));
        if (sameName(name, "Content-Length")) {
            const qint64 length = decimal(value);
            if (length < 0 || (h.contentLength >= 0 && h.contentLength != length))
                return Parse::Invalid;
            h.contentLength = length;
        } else if (sameName(name, "Transfer-Encoding")) {
            if (!sameName(value, "identity"))
                h.transferCoded = true;
        } else if (sameName(name, "Connection")) {
            for (const QByteArray &token : QByteArray(value.data(), value.size()).split(',')) {
                const QByteArrayView t = trimmed(token);
                closeAsked = closeAsked || sameName(t, "close");
                keepAliveAsked = keepAliveAsked || sameName(t, "keep-alive");
            }
        }
    }
    h.keepAlive = !closeAsked && (!http10 || keepAliveAsked);
    *head = h;
    *headLength = end;
    return Parse::Complete;
}
