#include "CliOutput.h"

#include "FileObject.h"
#include "JsonUtils.h"
#include "Terminal.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
constexpr int kProgressIntervalMs = 100;

void write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

QString padded(const QString &text, int width, CliTable::Alignment alignment)
{
    const QString fill(std::max(0, width - CliTable::displayWidth(text)), u' ');
    return alignment == CliTable::Right ? fill + text : text + fill;
}
} // namespace

CliTable::CliTable(QStringList headings, QList<Alignment> alignments, bool showHeadings)
    : m_headings(std::move(headings)), m_alignments(std::move(alignments)),
      m_showHeadings(showHeadings)
{
    while (m_alignments.size() < m_headings.size())
        m_alignments << Left;
}

void CliTable::addRow(QStringList cells)
{
    cells.resize(m_headings.size());
    for (QString &cell : cells)
        cell = oneLine(cell);
    m_rows << cells;
}

QStringList CliTable::lines() const
{
    QList<QStringList> rows;
    if (m_showHeadings)
        rows << m_headings;
    rows << m_rows;
    QList<int> widths(m_headings.size(), 0);
    for (const QStringList &row : std::as_const(rows))
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    QStringList out;
    for (const QStringList &row : std::as_const(rows)) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            const bool last = c == row.size() - 1;
            if (c > 0)
                line += u"  "_s;
            line += last && m_alignments[c] == Left ? row[c]
                                                    : padded(row[c], widths[c], m_alignments[c]);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        out << line;
    }
    return out;
}

int CliTable::displayWidth(const QString &text)
{
    int width = 0;
    const QList<uint> codePoints = text.toUcs4();
    for (const uint point : codePoints) {
        const char32_t c = point;
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing || c == 0x200B)
            continue;
        width += isWide(c) ? 2 : 1;
    }
    return width;
}

QString CliTable::oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    return out;
}

CliOutput::CliOutput(bool json)
    : m_json(json), m_showProgress(!json && Terminal::isStandardErrorTerminal())
{
}

QVariant CliOutput::toPlain(const QVariant &value)
{
    if (value.typeId() == qMetaTypeId<FileObjectPtr>()) {
        const auto file = value.value<FileObjectPtr>();
        return file ? QVariant(file->toVariantMap()) : QVariant();
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QVariantList out;
        for (const QVariant &v : value.toList())
            out << toPlain(v);
        return out;
    }
    if (value.typeId() == QMetaType::QVariantMap) {
        QVariantMap out;
        const QVariantMap in = value.toMap();
        for (auto it = in.cbegin(); it != in.cend(); ++it)
            out.insert(it.key(), toPlain(it.value()));
        return out;
    }
    // Records of the layers above register a conversion to a map.
    if (value.canConvert<QVariantMap>() && value.typeId() >= QMetaType::User)
        return toPlain(value.toMap());
    return value;
}

void CliOutput::writeJson(const QVariantMap &object)
{
    endProgress();
    const QByteArray line = JsonUtils::objectToData(toPlain(object)) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

void CliOutput::print(const QVariantMap &result)
{
    if (m_json) {
        writeJson(result);
        return;
    }
    const QVariantMap plain = toPlain(result).toMap();
    CliTable table({u"key"_s, u"value"_s}, {}, false);
    for (auto it = plain.cbegin(); it != plain.cend(); ++it) {
        const QVariant &v = it.value();
        QString text;
        if (v.typeId() == QMetaType::QVariantMap || v.typeId() == QMetaType::QVariantList)
            text = JsonUtils::objectToString(v);
        else if (v.isNull())
            text = u"-"_s;
        else
            text = v.toString();
        table.addRow({it.key() + u':', text});
    }
    printTable(table);
}

void CliOutput::printLines(const QStringList &lines)
{
    if (m_json)
        return;
    endProgress();
    for (const QString &line : lines)
        write(stdout, line + u'\n');
    std::fflush(stdout);
}

int CliOutput::fail(const QString &message, const QVariantMap &details)
{
    endProgress();
    write(stderr, u"zephyr-cli: "_s + message + u'\n');
    std::fflush(stderr);
    if (m_json) {
        QVariantMap object = details;
        object.insert(u"error"_s, message);
        writeJson(object);
    }
    return 1;
}

int CliOutput::usageError(const QString &message, const QString &usage)
{
    endProgress();
    write(stderr, u"zephyr-cli: "_s + message + u"\nusage: zephyr-cli "_s + usage + u'\n');
    std::fflush(stderr);
    if (m_json)
        writeJson({{u"error"_s, message}, {u"usage"_s, u"zephyr-cli "_s + usage}});
    return 2;
}

void CliOutput::progress(const QString &line, bool force)
{
    if (!m_showProgress)
        return;
    if (!force && m_lastProgress.isValid() && m_lastProgress.elapsed() < kProgressIntervalMs)
        return;
    m_lastProgress.start();
    // Carriage return and "erase to the end of the line": the line is redrawn in place.
    write(stderr, u"\r"_s + CliTable::oneLine(line) + u"\x1b[K"_s);
    std::fflush(stderr);
    m_progressShown = true;
}

void CliOutput::endProgress()
{
    if (!m_progressShown)
        return;
    write(stderr, u"\r\x1b[K"_s);
    std::fflush(stderr);
    m_progressShown = false;
}
