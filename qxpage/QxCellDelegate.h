#pragma once
// The in-place editors of the QX channel list: an edit for the frequency and an editable combo
// box for bandwidth and direction, each laid a little taller than its cell. Enter
// and Escape both commit; losing the focus commits unless the mouse pointer is still over the
// cell being edited.

#include <QStyledItemDelegate>

class QAbstractItemView;

class CQxCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CQxCellDelegate(QAbstractItemView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // Commits the open editor, if any, into its cell and closes it.
    void CommitOpenEditor();
    QWidget* OpenEditor() const { return m_open; }

signals:
    // A frequency text was written into column 1 of row.
    void frequencyCommitted(int row) const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void Commit(QWidget* editor);
    bool PointerOverCell(QWidget* editor) const;

    QAbstractItemView& m_view;
    mutable QWidget* m_open = nullptr;
};
