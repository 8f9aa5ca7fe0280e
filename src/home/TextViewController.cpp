#include "TextViewController.h"

TextViewController::TextViewController(const QString &text, QObject *parent)
    : ScreenController(parent), m_text(text)
{
}

QStringList TextViewController::blocks() const
{
    QStringList blocks;
    qsizetype start = 0;
    while (m_text.size() - start > BlockLength) {
        qsizetype end = start + BlockLength;
        const qsizetype lineBreak = m_text.lastIndexOf(u'\n', end - 1);
        if (lineBreak >= start + BlockLength / 2)
            end = lineBreak + 1;
        else if (m_text.at(end - 1).isHighSurrogate())
            --end;
        // A line cut in the middle goes on in the next block without a break between them.
        blocks << m_text.mid(start, end - start);
        start = end;
    }
    blocks << m_text.mid(start);
    return blocks;
}

QString TextViewController::backName() const
{
    return tr("返回");
}

bool TextViewController::showsScrollIndicator(double viewHeight, double textHeight)
{
    return textHeight > 2 * viewHeight;
}

double TextViewController::topOffset(double viewHeight, double textHeight)
{
    if (showsScrollIndicator(viewHeight, textHeight) || textHeight >= viewHeight)
        return 0;
    return (viewHeight - textHeight) / 2.2;
}

bool TextViewController::isCentred(int lineCount)
{
    return lineCount < 2;
}
