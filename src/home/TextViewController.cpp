#include "TextViewController.h"

TextViewController::TextViewController(const QString &text, QObject *parent)
    : ScreenController(parent), m_text(text)
{
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
