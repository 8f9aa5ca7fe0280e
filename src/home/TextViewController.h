#pragma once

#include "ScreenController.h"

#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

/// The text screen: a received text shown read-only over a blurred picture of the screen it
/// covers. A text taller than twice the view scrolls with its indicator showing; a shorter one
/// is moved down towards the middle, and a text of less than two lines is centred.
class TextViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the main screen")
    /// The text shown.
    Q_PROPERTY(QString text READ text CONSTANT)
    /// The text in blocks of at most BlockLength characters, cut after a line break where one
    /// is near: a long text is laid out only where it is seen.
    Q_PROPERTY(QStringList blocks READ blocks CONSTANT)
    /// The back button's name, for screen readers.
    Q_PROPERTY(QString backName READ backName CONSTANT)
public:
    explicit TextViewController(const QString &text, QObject *parent = nullptr);

    static constexpr int BlockLength = 1000;

    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] QStringList blocks() const;
    [[nodiscard]] QString backName() const;

    /// Whether the scroll indicator shows for a text @p textHeight tall in a view
    /// @p viewHeight tall.
    Q_INVOKABLE [[nodiscard]] static bool showsScrollIndicator(double viewHeight,
                                                               double textHeight);
    /// How far the text is moved down from the top of the view.
    Q_INVOKABLE [[nodiscard]] static double topOffset(double viewHeight, double textHeight);
    /// Whether a text of @p lineCount lines is centred horizontally.
    Q_INVOKABLE [[nodiscard]] static bool isCentred(int lineCount);

private:
    QString m_text;
};
