#include "DownloadProgressText.h"

#include <QStringList>

using namespace Qt::StringLiterals;

DownloadProgressText::DownloadProgressText(quint64 size) : m_size(size)
{
    const double s = double(size);
    if (s / 1e9 >= 1) {
        m_rate = 1e9;
        m_suffix = u"GB"_s;
    } else if (s / 1e6 >= 1) {
        m_rate = 1e6;
        m_suffix = u"MB"_s;
    } else if (s / 1000 >= 1) {
        m_rate = 1000;
        m_suffix = u"KB"_s;
    } else {
        m_suffix = u"B"_s;
    }
}

QString DownloadProgressText::initialLabel() const
{
    return u"已加载：0%1 / %2%3"_s.arg(
        m_suffix, QString::asprintf("%0.1f", double(m_size) / m_rate), m_suffix);
}

QString DownloadProgressText::label(double received) const
{
    return u"已加载：%1%2 / %3%4"_s.arg(QString::asprintf("%0.1f", received / m_rate), m_suffix,
                                        QString::asprintf("%0.1f", double(m_size) / m_rate),
                                        m_suffix);
}

double DownloadProgressText::progress(double received) const
{
    return m_size ? received / double(m_size) : 0;
}

QString DownloadProgressText::iconForName(const QString &name)
{
    const QString ext = name.section(u'.', -1).toLower();
    if (!name.contains(u'.'))
        return u"file_default_big.png"_s;
    if (ext == u"rar"_s || ext == u"zip"_s)
        return u"file_zip_big.png"_s;
    static const QStringList docs = {u"txt"_s, u"doc"_s, u"docx"_s, u"pdf"_s, u"rtf"_s};
    return docs.contains(ext) ? u"file_doc_big.png"_s : u"file_default_big.png"_s;
}
