#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The fixed rows of a table screen (about, introduction): a picture, a title and a detail
/// line each.
class RowsModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by its screen")
public:
    enum Role { ImageRole = Qt::UserRole + 1, TitleRole, DetailRole };
    Q_ENUM(Role)

    struct Row
    {
        QString image;
        QString title;
        QString detail;
    };

    explicit RowsModel(QList<Row> rows, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

private:
    QList<Row> m_rows;
};
