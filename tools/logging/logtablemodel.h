#pragma once
// The log table's rows straight from the run's data: cells are written when
// they are drawn, in the unit and digits in force, so ten thousand rows cost
// their numbers and no widgets, and a change of unit re-renders every row.
// Rows reach the view in batches: the data takes each row as it comes, the
// view learns of all rows added since at the next publish().

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

    // Adds the row to the data (and its statistics), not yet to the view.
    void append(const LogRow &row);
    // Shows the view every row added since the last call, in one insertion;
    // false when there was none.
    bool publish();
    // The data changed behind the model (cleared or recovered); shows it all.
    void reload();
    void setFormat(const LogFormat &format);
    const LogFormat &format() const { return m_format; }

private:
    LogData *m_data;
    int m_shown = 0; // rows the view knows of
    LogFormat m_format;
    QStringList m_headers;
};
