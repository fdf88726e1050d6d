#include "orvpage/OrvChannelList.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

const char* const kTitlesZh[] = {"信道", "发射频率", "接收频率", "中继发", "中继收"};
const char* const kTitlesEn[] = {"channel", "Tx Fre", "Rx Fre", "Rep Tx", "Rep Rx"};

} // namespace

void COrvChannelModel::Rebuild(
    const std::array<ChannelEntry, RadioSettings::kChannelRows>& channels, bool repeaterLayout,
    int currentChannel, bool english) {
    beginResetModel();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        m_cells[i] = channels[i].frequency;
    }
    m_repeater = repeaterLayout;
    m_english = english;
    m_markedRow = currentChannel >= 1 && currentChannel <= kRows ? currentChannel - 1 : -1;
    endResetModel();
}

void COrvChannelModel::SetCells(const Cells& cells) {
    beginResetModel();
    m_cells = cells;
    m_markedRow = -1;
    endResetModel();
}

void COrvChannelModel::SetCell(int row, int column, const QString& text) {
    setData(index(row, column), text, Qt::EditRole);
}

QString COrvChannelModel::Cell(int row, int column) const {
    return data(index(row, column), Qt::DisplayRole).toString();
}

bool COrvChannelModel::Editable(int column) const {
    return m_repeater ? column == 3 || column == 4 : column == 1 || column == 2;
}

int COrvChannelModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRows;
}

int COrvChannelModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (m_repeater ? 5 : 3);
}

QVariant COrvChannelModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    if (index.column() == 0) {
        const QString number = QString::number(index.row() + 1);
        return index.row() == m_markedRow ? QStringLiteral("*") + number : number;
    }
    return QString::fromStdString(m_cells[TableRow(index.row(), index.column())]);
}

bool COrvChannelModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Column 0 keeps its text whatever is typed there.
    if (!index.isValid() || index.column() == 0 || role != Qt::EditRole) {
        return false;
    }
    m_cells[TableRow(index.row(), index.column())] = value.toString().toStdString();
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags COrvChannelModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && Editable(index.column())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant COrvChannelModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= 5) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromUtf8(m_english ? kTitlesEn[section] : kTitlesZh[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    return {};
}

QWidget* COrvCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("cellEdit"));
    editor->setProperty("controlId", 1029);
    editor->setAlignment(Qt::AlignCenter);
    return editor;
}

void COrvCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    editor->setProperty("cellRow", index.row());
    editor->setProperty("cellColumn", index.column());
    QStyledItemDelegate::setEditorData(editor, index);
}

void COrvCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex&) const {
    // A little taller than the cell, so that the text has room in the frame.
    editor->setGeometry(option.rect.adjusted(0, -2, 0, 3));
}

bool COrvCellDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QLineEdit*>(watched);
    if (editor != nullptr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            // Esc commits like Enter.
            const QString text = editor->text();
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit committedByKey(editor->property("cellRow").toInt(),
                                editor->property("cellColumn").toInt(), text);
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            emit arrowKey(key);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
