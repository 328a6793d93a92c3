#pragma once

#include "xlsx/formula/Evaluator.h"
#include "xlsx/formula/Formula.h"

#include <QHash>
#include <QMap>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A workbook held in memory: cells by sheet and A1 name, "=..." for a formula; texts in quotes are texts.
class FakeWorkbook : public formula::Workbook
{
public:
    QStringList sheets = {QStringLiteral("Sheet1"), QStringLiteral("Sheet2")};
    QMap<QString, QString> names; // "NAME" or "Sheet1!NAME" to the formula text
    long long reads = 0;

    // Sets "A1", "Sheet2!B3" or "'My Sheet'!B3" to "=formula", "\"text\"", "TRUE", "#N/A", a number or "".
    void set(const QString &cell, const QString &content)
    {
        const qsizetype bang = cell.lastIndexOf(u'!');
        QString sheet = bang < 0 ? sheets[0] : cell.left(bang);
        if (sheet.startsWith(u'\''))
            sheet = sheet.mid(1, sheet.size() - 2);
        if (!sheets.contains(sheet))
            sheets.append(sheet);
        const auto parsed = formula::ParseFormula(cell.mid(bang + 1));
        const formula::Reference &ref = parsed.value().nodes[size_t(parsed.value().root)].reference;
        formula::CellContent c;
        if (content.startsWith(u'='))
            c.formula = content.mid(1);
        else if (content.startsWith(u'"'))
            c.value = formula::Value::Text(content.mid(1, content.size() - 2));
        else if (content == u"TRUE" || content == u"FALSE")
            c.value = formula::Value::Boolean(content == u"TRUE");
        else if (content.startsWith(u'#'))
            c.value = formula::Value::Error(*formula::ErrorFromText(content));
        else if (!content.isEmpty())
            c.value = formula::Value::Number(content.toDouble());
        m_cells[Key(int(sheets.indexOf(sheet)), ref.first.row, ref.first.column)] = c;
        m_extent[int(sheets.indexOf(sheet))].rows = std::max(m_extent[int(sheets.indexOf(sheet))].rows, ref.first.row);
        m_extent[int(sheets.indexOf(sheet))].columns =
            std::max(m_extent[int(sheets.indexOf(sheet))].columns, ref.first.column);
    }
    void setContent(int sheet, int row, int column, const formula::CellContent &content)
    {
        m_cells[Key(sheet, row, column)] = content;
        m_extent[sheet].rows = std::max(m_extent[sheet].rows, row);
        m_extent[sheet].columns = std::max(m_extent[sheet].columns, column);
    }
    void setExtent(int sheet, formula::SheetExtent extent) { m_extent[sheet] = extent; }

    std::optional<int> sheetIndex(QStringView name) override
    {
        for (int i = 0; i < sheets.size(); ++i) {
            if (sheets[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return std::nullopt;
    }
    formula::SheetExtent extent(int sheet) override { return m_extent.value(sheet); }
    formula::CellContent cell(const formula::CellAddress &a) override
    {
        ++reads;
        return m_cells.value(Key(a.sheet, a.row, a.column));
    }
    std::optional<QString> definedName(QStringView name, int sheet) override
    {
        const QString scoped = sheets[sheet] + u'!' + name.toString();
        if (names.contains(scoped))
            return names[scoped];
        if (names.contains(name.toString()))
            return names[name.toString()];
        return std::nullopt;
    }

private:
    static quint64 Key(int sheet, int row, int column)
    {
        return (quint64(sheet) << 40) | (quint64(row) << 16) | quint64(column);
    }
    QHash<quint64, formula::CellContent> m_cells;
    QHash<int, formula::SheetExtent> m_extent;
};

// 2024-03-15 18:00, a Friday.
constexpr double TestNow = 45366.75;
