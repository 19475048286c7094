#pragma once
// The log table's rows straight from the run's data: cells are written when
// they are drawn, in the unit and digits in force, so ten thousand rows cost
// their numbers and no widgets, and a change of unit re-renders every row.

#include "logdata.h"

#include <QAbstractTableModel>
#include <QStringList>

class LogTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LogTableModel(LogData *data, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Adds the row to the data (and its statistics).
    void append(const LogRow &row);
    // The data changed behind the model (cleared or recovered).
    void reload();
    void setFormat(const LogFormat &format);
    const LogFormat &format() const { return m_format; }

private:
    LogData *m_data;
    LogFormat m_format;
    QStringList m_headers;
};
