#pragma once

#include <QObject>
#include <QString>

/// The system clipboard.
class Clipboard : public QObject
{
    Q_OBJECT
public:
    explicit Clipboard(QObject *parent = nullptr) : QObject(parent) {}

    /// Puts @p text on the clipboard as plain text, replacing what was there.
    virtual void copyText(const QString &text) = 0;
};
