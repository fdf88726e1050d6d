#include "orvpage/OrvChannelList.h"

#include "orvpage/OrvPageLogic.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

using OrvPageLogic::kMirroredRow;
using OrvPageLogic::kMirrorSource;

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
    KeepMirror();
    endResetModel();
}

void COrvChannelModel::SetCells(const Cells& cells) {
    beginResetModel();
    m_cells = cells;
    m_markedRow = -1;
    KeepMirror();
    endResetModel();
}

void COrvChannelModel::KeepMirror() {
    if (OrvPageLogic::IsMirroredRow(kMirroredRow, m_repeater)) {
        m_cells[kMirroredRow] = m_cells[kMirrorSource];
    }
}

bool COrvChannelModel::Mirrored(const QModelIndex& index) const {
    return index.isValid() && index.column() > 0 &&
           OrvPageLogic::IsMirroredRow(
               static_cast<std::size_t>(TableRow(index.row(), index.column())), m_repeater);
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

bool COrvChannelModel::Editable(const QModelIndex& index) const {
    return index.isValid() && Editable(index.column()) && !Mirrored(index);
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
    if (role == Qt::ToolTipRole && Mirrored(index)) {
        return QString::fromUtf8(OrvPageLogic::MirroredCellNote(m_english));
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
    // Column 0 keeps its text whatever is typed there, and the mirrored cell follows its row.
    if (!index.isValid() || index.column() == 0 || Mirrored(index) || role != Qt::EditRole) {
        return false;
    }
    m_cells[TableRow(index.row(), index.column())] = value.toString().toStdString();
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags COrvChannelModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (Editable(index)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant COrvChannelModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= 5) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromUtf8(OrvPageLogic::ColumnTitle(section, m_english));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    return {};
}

QString COrvChannelModel::CellName(const QModelIndex& index) const {
    return QString::fromStdString(OrvPageLogic::CellPlace(
        static_cast<std::size_t>(TableRow(index.row(), index.column())), m_english));
}

QWidget* COrvCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("cellEdit"));
    editor->setProperty("controlId", 1029);
    editor->setAlignment(Qt::AlignCenter);
    if (const auto* model = qobject_cast<const COrvChannelModel*>(index.model())) {
        editor->setAccessibleName(model->CellName(index));
    }
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
