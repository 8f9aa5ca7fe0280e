#pragma once

#include "Clipboard.h"

/// The desktop's clipboard, through Qt Gui.
class LinuxClipboard : public Clipboard
{
    Q_OBJECT
public:
    explicit LinuxClipboard(QObject *parent = nullptr) : Clipboard(parent) {}

    void copyText(const QString &text) override;
};
