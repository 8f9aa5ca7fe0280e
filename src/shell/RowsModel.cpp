#include "RowsModel.h"

RowsModel::RowsModel(QList<Row> rows, QObject *parent)
    : QAbstractListModel(parent), m_rows(std::move(rows))
{
}

int RowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RowsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case ImageRole:
        return row.image;
    case TitleRole:
    case Qt::DisplayRole:
        return row.title;
    case DetailRole:
        return row.detail;
    default:
        return {};
    }
}

QHash<int, QByteArray> RowsModel::roleNames() const
{
    return {{ImageRole, "image"}, {TitleRole, "title"}, {DetailRole, "detail"}};
}
