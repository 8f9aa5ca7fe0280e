#include "LinuxClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void LinuxClipboard::copyText(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}
