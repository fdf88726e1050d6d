#include "qxpage/QxChannelModel.h"

namespace {

constexpr int kRows = static_cast<int>(QxTableFile::kRows);
const char* const kTitles[] = {"Channel", "Frequency(MHz)", "BW", "DIR"};

} // namespace

CQxChannelModel::CQxChannelModel(QObject* parent) : QAbstractTableModel(parent) {}

int CQxChannelModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRows;
}

int CQxChannelModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

std::string* CQxChannelModel::Cell(int row, int column) {
    if (row < 0 || row >= kRows) {
        return nullptr;
    }
    ChannelEntry& entry = m_rows[static_cast<std::size_t>(row)];
    switch (column) {
    case kFrequency:
        return &entry.frequency;
    case kBandwidth:
        return &entry.bandwidth;
    case kDirection:
        return &entry.direction;
    default:
        return nullptr;
    }
}

QString CQxChannelModel::Text(int row, int column) const {
    if (row < 0 || row >= kRows) {
        return {};
    }
    if (column == kChannel) {
        return QString::number(row);
    }
    const ChannelEntry& entry = m_rows[static_cast<std::size_t>(row)];
    switch (column) {
    case kFrequency:
        return QString::fromStdString(entry.frequency);
    case kBandwidth:
        return QString::fromStdString(entry.bandwidth);
    case kDirection:
        return QString::fromStdString(entry.direction);
    default:
        return {};
    }
}

void CQxChannelModel::SetText(int row, int column, const QString& text) {
    std::string* cell = Cell(row, column);
    if (cell == nullptr) {
        return;
    }
    const std::string value = text.toStdString();
    if (*cell != value) {
        *cell = value;
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
    }
}

QVariant CQxChannelModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

bool CQxChannelModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || Cell(index.row(), index.column()) == nullptr) {
        return false;
    }
    SetText(index.row(), index.column(), value.toString());
    return true;
}

QVariant CQxChannelModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // Rows have no header: the Channel column numbers them (0-63), and a second numbering from
    // 1 would reach assistive technology even with the header hidden.
    if (orientation == Qt::Horizontal && section >= 0 && section < kColumns) {
        if (role == Qt::DisplayRole) {
            return QString::fromLatin1(kTitles[section]);
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        }
    }
    return {};
}

Qt::ItemFlags CQxChannelModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() != kChannel) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

void CQxChannelModel::SetRows(const QxTableFile::ListRows& rows) {
    m_rows = rows;
    emit dataChanged(index(0, kFrequency), index(kRows - 1, kDirection));
}

bool CQxChannelModel::RowEmpty(int row) const {
    if (row < 0 || row >= kRows) {
        return false;
    }
    const ChannelEntry& entry = m_rows[static_cast<std::size_t>(row)];
    return entry.frequency.empty() && entry.bandwidth.empty() && entry.direction.empty();
}

void CQxChannelModel::ClearRow(int row) {
    for (int column = kFrequency; column <= kDirection; ++column) {
        SetText(row, column, QString());
    }
}

void CQxChannelModel::ClearAll() {
    QxTableFile::ListRows empty{};
    SetRows(empty);
}
