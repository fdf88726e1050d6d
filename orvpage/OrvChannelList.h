#pragma once
// List 1028 of the ORV page: 16 channels, each showing the frequencies of four rows of the
// radio's table (transmit, receive, repeater transmit, repeater receive). The cells are the
// page's working copy of the frequencies; editing them never changes what was read.

#include "exchange/RadioSettings.h"

#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <array>
#include <string>

class COrvChannelModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kRows = 16;
    using Cells = std::array<std::string, RadioSettings::kChannelRows>; // by table row

    explicit COrvChannelModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Columns and rows anew from the radio's listing, for a layout and a language; the current
    // channel (1..16) is marked "*".
    void Rebuild(const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels,
                 bool repeaterLayout, int currentChannel, bool english);
    // Cells from an import; column 0 loses the current-channel mark.
    void SetCells(const Cells& cells);
    const Cells& CellTexts() const { return m_cells; }
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;
    // A frequency cell as assistive technology names it ("信道 3 发射频率").
    QString CellName(const QModelIndex& index) const;

    bool RepeaterLayout() const { return m_repeater; }
    // Table row of a frequency cell (column 1..4).
    static int TableRow(int row, int column) { return 4 * row + column - 1; }
    // Columns 1-2 in the normal layout, 3-4 in the repeater layout.
    bool Editable(int column) const;
    // An editable column, except the repeater layout's mirrored cell (channel 16's Rep Rx).
    bool Editable(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The cell that shows another row's frequency (see OrvPageLogic::kMirroredRow).
    bool Mirrored(const QModelIndex& index) const;
    void KeepMirror();

    Cells m_cells{};
    bool m_repeater = false;
    bool m_english = false;
    int m_markedRow = -1;
};

// The in-place editor 1029 over a cell. Enter and Esc both commit and ask for the check; a focus
// loss commits without it; Up and Down hand the keyboard to the list.
class COrvCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

signals:
    // The editor's text went into the cell by Enter or Esc.
    void committedByKey(int row, int column, const QString& text);
    // Up or Down in the editor.
    void arrowKey(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
