#include "app/gui/LogModel.h"

void LogModel::setColours(const QColor &failure, const QColor &warning)
{
    m_failure = failure;
    m_warning = warning;
    if (!m_lines.isEmpty())
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {Qt::ForegroundRole});
}

void LogModel::append(const LogRead &read)
{
    if (read.restarted)
        clear();
    if (read.lines.isEmpty())
        return;
    const auto first = static_cast<int>(m_lines.size());
    beginInsertRows({}, first, first + static_cast<int>(read.lines.size()) - 1);
    m_lines.append(read.lines);
    m_kinds.insert(m_kinds.end(), read.kinds.begin(), read.kinds.end());
    endInsertRows();
}

void LogModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_kinds.clear();
    endResetModel();
}

int LogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant LogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_lines.at(index.row());
    if (role == Qt::ForegroundRole) {
        switch (m_kinds[static_cast<size_t>(index.row())]) {
        case LogLineKind::Failure:
            return m_failure;
        case LogLineKind::Warning:
            return m_warning;
        case LogLineKind::Plain:
            break;
        }
    }
    return {};
}
