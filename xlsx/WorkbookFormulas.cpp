#include "xlsx/WorkbookFormulas.h"

#include "events/DateValue.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/formula/Evaluator.h"
#include "xlsx/formula/Formula.h"

#include <algorithm>
#include <charconv>

namespace {

class WorkbookPartsHandler : public XmlPartHandler
{
public:
    explicit WorkbookPartsHandler(WorkbookFormulaParts &parts) : m_parts(parts) {}

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override
    {
        ++m_depth;
        if (ns != XmlNs::Main || m_depth < 2)
            return;
        if (m_depth == 3 && name == "sheet") {
            m_parts.sheets.push_back({QString::fromUtf8(attributes.view(XmlNs::None, "name")),
                                      QString::fromUtf8(attributes.view(XmlNs::Relationships, "id")),
                                      {}});
        } else if (m_depth == 3 && name == "definedName") {
            int sheet = -1;
            const std::string_view local = attributes.view(XmlNs::None, "localSheetId");
            if (!local.empty())
                std::from_chars(local.data(), local.data() + local.size(), sheet);
            m_parts.names.push_back({QString::fromUtf8(attributes.view(XmlNs::None, "name")), sheet, {}});
            m_inName = true;
            m_text.clear();
        } else if (m_depth == 2 && name == "calcPr") {
            const std::string_view full = attributes.view(XmlNs::None, "fullCalcOnLoad");
            m_parts.fullCalcOnLoad = full == "1" || full == "true";
        }
    }
    void endElement(XmlNs, std::string_view) override
    {
        if (m_inName && m_depth == 3) {
            m_parts.names.back().formula = QString::fromUtf8(m_text.data(), qsizetype(m_text.size()));
            m_inName = false;
        }
        --m_depth;
    }
    void characters(std::string_view text) override
    {
        if (m_inName)
            m_text.append(text);
    }

protected:
    bool forget() override
    {
        m_parts = WorkbookFormulaParts();
        m_depth = 0;
        m_inName = false;
        return true;
    }

private:
    WorkbookFormulaParts &m_parts;
    int m_depth = 0;
    bool m_inName = false;
    std::string m_text;
};

formula::Value ToFormulaValue(const CellValue &cell)
{
    switch (cell.type) {
    case CellValue::Type::Empty:
        return formula::Value::Blank();
    case CellValue::Type::Number:
        return formula::Value::Number(cell.number);
    case CellValue::Type::Text:
        return formula::Value::Text(cell.text);
    case CellValue::Type::Boolean:
        return formula::Value::Boolean(cell.boolean);
    case CellValue::Type::Error:
        break;
    }
    return formula::Value::Error(formula::ErrorFromText(cell.text).value_or(formula::ErrorValue::Value));
}

CellValue ToCellValue(const formula::Value &value)
{
    CellValue cell;
    switch (value.type) {
    case formula::Value::Type::Blank:
        break;
    case formula::Value::Type::Number:
        cell.type = CellValue::Type::Number;
        cell.number = value.number;
        break;
    case formula::Value::Type::Text:
        cell.type = CellValue::Type::Text;
        cell.text = value.text;
        break;
    case formula::Value::Type::Boolean:
        cell.type = CellValue::Type::Boolean;
        cell.boolean = value.boolean;
        break;
    case formula::Value::Type::Error:
        cell.type = CellValue::Type::Error;
        cell.text = formula::ErrorText(value.error);
        break;
    }
    return cell;
}

struct SharedMaster {
    CellPosition position;
    QString formula;
};

// The cells of one sheet as the evaluator asks for them.
formula::CellContent Content(const CellPosition &position, const RawCell &raw, const SharedStrings &strings,
                             const std::map<std::string, SharedMaster> &masters)
{
    formula::CellContent content;
    if (!raw.hasFormula) {
        content.value = ToFormulaValue(ResolveCell(raw, strings));
        return content;
    }
    content.array = raw.formulaKind == RawCell::FormulaKind::Array;
    content.formula = QString::fromUtf8(raw.formula.data(), qsizetype(raw.formula.size()));
    if (raw.formulaKind == RawCell::FormulaKind::Shared && raw.formula.empty()) {
        const auto master = masters.find(std::string(raw.sharedIndex));
        if (master == masters.end()) {
            content.value = ToFormulaValue(ResolveCell(raw, strings));
            return content;
        }
        content.formula = master->second.formula;
        content.rowOffset = position.first - master->second.position.first;
        content.columnOffset = position.second - master->second.position.second;
    }
    if (content.formula.isEmpty() && !content.array)
        content.formula = QStringLiteral("#N/A");
    return content;
}

class PackageWorkbook : public formula::Workbook
{
public:
    PackageWorkbook(XlsxPackage &package, const WorkbookFormulaParts &parts, const QString &sharedStringsPart)
        : m_package(package), m_parts(parts), m_sharedStringsPart(sharedStringsPart), m_sheets(parts.sheets.size())
    {
    }

    Failure failure;           // why the first sheet that could not be read was not
    bool tooManyCells = false; // the sheets read hold more than MaxCells cells
    static constexpr size_t MaxCells = 1000000;

    std::optional<int> sheetIndex(QStringView name) override
    {
        for (size_t i = 0; i < m_parts.sheets.size(); ++i) {
            if (m_parts.sheets[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return std::nullopt;
    }
    formula::SheetExtent extent(int sheet) override { return load(sheet).extent; }
    formula::CellContent cell(const formula::CellAddress &address) override
    {
        const Sheet &sheet = load(address.sheet);
        const CellPosition position{address.row, address.column};
        const auto &cells = sheet.raw.cells;
        const auto found = std::lower_bound(cells.begin(), cells.end(), position,
                                            [](const auto &cell, const CellPosition &p) { return cell.first < p; });
        if (found == cells.end() || found->first != position)
            return {};
        return Content(position, found->second, sheet.strings, sheet.masters);
    }
    std::optional<QString> definedName(QStringView name, int sheet) override
    {
        const WorkbookFormulaParts::Name *global = nullptr;
        for (const auto &defined : m_parts.names) {
            if (defined.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (defined.sheet == sheet)
                return defined.formula;
            if (defined.sheet < 0)
                global = &defined;
        }
        return global ? std::optional(global->formula) : std::nullopt;
    }

private:
    // Cells stay as read, in position order, and are resolved when asked for: a sheet of a million cells then
    // costs its read only.
    struct Sheet {
        bool loaded = false;
        RawCells raw;
        SharedStrings strings;
        std::map<std::string, SharedMaster> masters;
        formula::SheetExtent extent;
    };

    const Sheet &load(int index)
    {
        Sheet &sheet = m_sheets[size_t(index)];
        if (sheet.loaded)
            return sheet;
        sheet.loaded = true;
        SheetReader reader(CellWindow{1, formula::MaxRow, {}, MaxCells - m_cellsKept});
        const QString part = m_parts.sheets[size_t(index)].part;
        if (part.isEmpty())
            return sheet;
        if (Failure failed = m_package.parse(part, reader)) {
            failure = failure ? failure : failed;
            return sheet;
        }
        sheet.raw = reader.takeCells();
        m_cellsKept += sheet.raw.cells.size();
        tooManyCells = tooManyCells || reader.overflowed();
        if (Failure failed = sheet.strings.read(m_package, m_sharedStringsPart, SharedStringIndices(sheet.raw))) {
            failure = failure ? failure : failed;
            sheet.raw = RawCells();
            return sheet;
        }
        for (const auto &[position, cell] : sheet.raw.cells) {
            if (cell.formulaKind == RawCell::FormulaKind::Shared && !cell.formula.empty())
                sheet.masters.emplace(
                    std::string(cell.sharedIndex),
                    SharedMaster{position, QString::fromUtf8(cell.formula.data(), qsizetype(cell.formula.size()))});
            sheet.extent.rows = std::max(sheet.extent.rows, position.first);
            sheet.extent.columns = std::max(sheet.extent.columns, position.second);
        }
        return sheet;
    }

    XlsxPackage &m_package;
    const WorkbookFormulaParts &m_parts;
    QString m_sharedStringsPart;
    std::vector<Sheet> m_sheets;
    size_t m_cellsKept = 0;
};

double MomentSerial(const QDateTime &moment)
{
    return DateToSerial(moment.date()) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

WorkbookFormulaParts ReadWorkbookFormulaParts(XlsxPackage &package, const QString &workbookPart)
{
    WorkbookFormulaParts parts;
    WorkbookPartsHandler handler(parts);
    parts.failure = package.parse(workbookPart, handler);
    return parts;
}

bool HasFormulas(const RawCells &window)
{
    for (const auto &[position, cell] : window.cells) {
        if (cell.hasFormula)
            return true;
    }
    return false;
}

bool NeedsCalculation(const RawCells &window, bool fullCalcOnLoad)
{
    for (const auto &[position, cell] : window.cells) {
        if (!cell.hasFormula)
            continue;
        // A text result may be empty; for any other an empty v is none.
        const bool blank = cell.value.find_first_not_of(" \t\r\n") == std::string_view::npos;
        if (fullCalcOnLoad || !cell.hasValue || (blank && cell.type != "str"))
            return true;
    }
    return false;
}

CalculatedCells CalculateWindow(XlsxPackage &package, const WorkbookFormulaParts &parts,
                                const QString &sharedStringsPart, const RawCells &window, const QDateTime &now)
{
    CalculatedCells result;
    PackageWorkbook workbook(package, parts, sharedStringsPart);
    formula::Evaluator evaluator(workbook, MomentSerial(now));
    for (const auto &[position, cell] : window.cells) {
        if (!cell.hasFormula)
            continue;
        const formula::Result<formula::Value> value = evaluator.cellValue({0, position.first, position.second});
        if (workbook.failure) {
            result.failure = workbook.failure;
            break;
        }
        std::optional<formula::Refusal> refusal;
        if (workbook.tooManyCells)
            refusal = formula::Refusal{formula::Refusal::Kind::TooManyCells, QString::number(workbook.MaxCells)};
        else if (!value)
            refusal = value.refusal();
        if (refusal) {
            result.failure.reason = QStringLiteral("formula in ") + formula::ColumnName(position.second) +
                                    QString::number(position.first) + QLatin1Char(' ') + refusal->text() +
                                    QStringLiteral(": open and save the workbook in a spreadsheet program");
            break;
        }
        result.cells.emplace(position, ToCellValue(value.value()));
    }
    if (result.failure)
        result.cells.clear();
    return result;
}
