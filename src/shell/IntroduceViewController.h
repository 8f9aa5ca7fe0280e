#pragma once

#include "RowsModel.h"
#include "ScreenController.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The quick-transfer introduction: five rows of 230 points, four examples of what a shake
/// brings over (a picture, a title and an instruction each), then a closing line (a title
/// alone).
class IntroduceViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the shell")
    /// The rows.
    Q_PROPERTY(RowsModel *rows READ rows CONSTANT)
public:
    explicit IntroduceViewController(QObject *parent = nullptr);

    [[nodiscard]] RowsModel *rows() { return &m_rows; }

private:
    RowsModel m_rows;
};
