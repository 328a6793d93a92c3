#pragma once

#include "watch/LogTail.h"

#include <QAbstractListModel>
#include <QColor>
#include <vector>

// The lines of one log file for a list view, coloured by their kind. A view of it only lays out the rows on
// screen, so a day of 100,000 lines scrolls as easily as ten.
class LogModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setColours(const QColor &failure, const QColor &warning);
    // Adds what a read brought below the lines already there, or in their place after a restart.
    void append(const LogRead &read);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_lines;
    std::vector<LogLineKind> m_kinds;
    QColor m_failure;
    QColor m_warning;
};
