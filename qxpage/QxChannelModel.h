#pragma once
// The QX channel list as a table model: 64 fixed rows (row r is channel r) and four columns,
// the channel number and the texts of frequency, bandwidth and direction. The cells hold
// whatever text they are given; checking is left to the page and to Set.

#include "qxpage/QxTableFile.h"

#include <QAbstractTableModel>

class CQxChannelModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kChannel = 0, kFrequency = 1, kBandwidth = 2, kDirection = 3, kColumns = 4 };

    explicit CQxChannelModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The cell's text ("" outside the table).
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);

    // Columns 1-3 of every row, as the table files and Set see them.
    const QxTableFile::ListRows& Rows() const { return m_rows; }
    void SetRows(const QxTableFile::ListRows& rows);

    // A row with nothing in columns 1-3 is a channel not in use.
    bool RowEmpty(int row) const;
    // Empties columns 1-3 of one row, or of every row.
    void ClearRow(int row);
    void ClearAll();

private:
    std::string* Cell(int row, int column);

    QxTableFile::ListRows m_rows{};
};
