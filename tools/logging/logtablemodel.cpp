#include "logtablemodel.h"

LogTableModel::LogTableModel(LogData *data, QObject *parent)
    : QAbstractTableModel(parent), m_data(data), m_headers(logHeaders(true)) {}

int LogTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int LogTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : logColumnCount;
}

QVariant LogTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_shown || index.row() >= m_data->rows.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return logCellText(m_data->rows.at(index.row()), index.column(), m_format);
    if (role == Qt::TextAlignmentRole && index.column() > 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return m_headers.value(section);
    return section + 1;
}

Qt::ItemFlags LogTableModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void LogTableModel::append(const LogRow &row) {
    m_data->append(row);
}

bool LogTableModel::publish() {
    const int count = m_data->rows.size();
    if (count <= m_shown)
        return false;
    beginInsertRows(QModelIndex(), m_shown, count - 1);
    m_shown = count;
    endInsertRows();
    return true;
}

void LogTableModel::reload() {
    beginResetModel();
    m_shown = m_data->rows.size();
    endResetModel();
}

void LogTableModel::setFormat(const LogFormat &format) {
    if (format == m_format)
        return;
    m_format = format;
    m_headers = logHeaders(format.nits);
    emit headerDataChanged(Qt::Horizontal, 0, logColumnCount - 1);
    if (m_shown > 0)
        emit dataChanged(index(0, 0), index(m_shown - 1, logColumnCount - 1));
}
