#include "qxpage/QxCellDelegate.h"

#include "qxpage/QxChannelModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

const char* const kBandwidths[] = {"6.25 KHz", "12.5 KHz", "25   KHz"};
const char* const kDirections[] = {"Rx", "Tx", "Rx&Tx"};

// The cell an editor belongs to, kept on the editor itself.
constexpr const char* kRow = "cellRow";
constexpr const char* kColumn = "cellColumn";

QString EditorText(QWidget* editor) {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        return combo->currentText();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        return edit->text();
    }
    return {};
}

} // namespace

CQxCellDelegate::CQxCellDelegate(QAbstractItemView& view)
    : QStyledItemDelegate(&view), m_view(view) {}

QWidget* CQxCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
    QWidget* editor = nullptr;
    if (index.column() == CQxChannelModel::kFrequency) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("cellEdit"));
        edit->setProperty("controlId", 1013);
        edit->setAlignment(Qt::AlignCenter);
        editor = edit;
    } else if (index.column() == CQxChannelModel::kBandwidth ||
               index.column() == CQxChannelModel::kDirection) {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("cellCombo"));
        combo->setProperty("controlId", 1010);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        if (index.column() == CQxChannelModel::kBandwidth) {
            for (const char* text : kBandwidths) {
                combo->addItem(QString::fromLatin1(text));
            }
        } else {
            for (const char* text : kDirections) {
                combo->addItem(QString::fromLatin1(text));
            }
        }
        // Keys and focus reach the combo box's edit field first.
        combo->lineEdit()->installEventFilter(const_cast<CQxCellDelegate*>(this));
        editor = combo;
    } else {
        return nullptr;
    }
    editor->setProperty(kRow, index.row());
    editor->setProperty(kColumn, index.column());
    // Named as the list names the cell ("Channel 5 BW"), the combo box's edit field too.
    const QString name =
        QStringLiteral("Channel %1 %2")
            .arg(index.row())
            .arg(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    editor->setAccessibleName(name);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->lineEdit()->setAccessibleName(name);
    }
    m_open = editor;
    return editor;
}

void CQxCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
    }
}

void CQxCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const {
    model->setData(index, EditorText(editor), Qt::EditRole);
    if (index.column() == CQxChannelModel::kFrequency) {
        emit frequencyCommitted(index.row());
    }
}

void CQxCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const {
    // A little taller than the cell, so that the editor's frame does not hide its text.
    editor->setGeometry(option.rect.adjusted(0, -2, 0, 3));
}

void CQxCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (m_open == editor) {
        m_open = nullptr;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void CQxCellDelegate::Commit(QWidget* editor) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void CQxCellDelegate::CommitOpenEditor() {
    if (m_open != nullptr) {
        Commit(m_open);
    }
}

bool CQxCellDelegate::PointerOverCell(QWidget* editor) const {
    const QModelIndex cell =
        m_view.model()->index(editor->property(kRow).toInt(), editor->property(kColumn).toInt());
    const QPoint pointer = m_view.viewport()->mapFromGlobal(QCursor::pos());
    return m_view.visualRect(cell).contains(pointer);
}

bool CQxCellDelegate::eventFilter(QObject* object, QEvent* event) {
    QWidget* editor = qobject_cast<QWidget*>(object);
    if (editor != nullptr && qobject_cast<QComboBox*>(editor->parentWidget()) != nullptr &&
        editor->parentWidget() == m_open) {
        editor = editor->parentWidget(); // the combo box's edit field
    }
    if (editor == nullptr || editor != m_open) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            // Escape commits as Enter does: neither cancels an edit.
            Commit(editor);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        QWidget* focus = QApplication::focusWidget();
        if (QApplication::activePopupWidget() != nullptr ||
            (focus != nullptr && (focus == editor || editor->isAncestorOf(focus)))) {
            return false; // the combo box's own list or edit field
        }
        // Focus taken while the pointer rests on the cell (another window, the keyboard): the
        // editor stays open for the user to go on.
        if (PointerOverCell(editor)) {
            return false;
        }
        Commit(editor);
        return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
