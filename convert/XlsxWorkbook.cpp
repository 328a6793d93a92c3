#include "convert/XlsxWorkbook.h"

#include "convert/SharedStrings.h"
#include "convert/WorkbookFormulas.h"
#include "convert/XlsxPackage.h"

#include <new>

namespace {

// Finds the first sheet element of the workbook's sheets and its relationship id.
class WorkbookHandler : public XmlPartHandler
{
public:
    QString sheetRelationshipId;
    bool sheetFound = false;

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override
    {
        ++m_depth;
        if (ns != XmlNs::Main)
            return;
        if (m_depth == 2 && name == "sheets") {
            m_sheetsDepth = m_depth;
        } else if (m_sheetsDepth && m_depth == m_sheetsDepth + 1 && name == "sheet") {
            sheetFound = true;
            if (const char *id = attributes.value(XmlNs::Relationships, "id"))
                sheetRelationshipId = QString::fromUtf8(id);
            finish();
        }
    }
    void endElement(XmlNs, std::string_view) override
    {
        if (m_depth == m_sheetsDepth)
            finish(); // sheets without a sheet
        --m_depth;
    }

protected:
    bool forget() override
    {
        sheetRelationshipId.clear();
        sheetFound = false;
        m_depth = 0;
        m_sheetsDepth = 0;
        return true;
    }

private:
    int m_depth = 0;
    int m_sheetsDepth = 0;
};

QString ReadCells(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                  std::int64_t inflatedLimit)
{
    XlsxPackage package(inflatedLimit);
    if (QString error = package.open(path); !error.isEmpty())
        return error;

    std::vector<XlsxRelationship> packageRelationships;
    if (QString error = package.readRelationships(QString(), packageRelationships); !error.isEmpty())
        return error;
    QString workbookPart;
    for (const XlsxRelationship &relationship : packageRelationships) {
        if (IsRelationshipType(relationship.type, QLatin1String("officeDocument"))) {
            workbookPart = relationship.target;
            break;
        }
    }
    if (workbookPart.isEmpty())
        return Damaged(QStringLiteral("no workbook part"));

    WorkbookHandler workbook;
    if (QString error = package.parse(workbookPart, workbook); !error.isEmpty())
        return error;
    if (!workbook.sheetFound)
        return Damaged(QStringLiteral("no sheet in ") + workbookPart);
    if (workbook.sheetRelationshipId.isEmpty())
        return Damaged(QStringLiteral("first sheet has no relationship id"));

    std::vector<XlsxRelationship> workbookRelationships;
    if (QString error = package.readRelationships(workbookPart, workbookRelationships); !error.isEmpty())
        return error;
    QString sheetPart;
    QString sharedStringsPart;
    for (const XlsxRelationship &relationship : workbookRelationships) {
        if (sheetPart.isEmpty() && relationship.id == workbook.sheetRelationshipId)
            sheetPart = relationship.target;
        if (sharedStringsPart.isEmpty() && IsRelationshipType(relationship.type, QLatin1String("sharedStrings")))
            sharedStringsPart = relationship.target;
    }
    if (sheetPart.isEmpty())
        return Damaged(QStringLiteral("no relationship %1 for the first sheet").arg(workbook.sheetRelationshipId));

    // A chartsheet has no sheetData, so it simply gives no cells.
    SheetReader sheet(window);
    if (QString error = package.parse(sheetPart, sheet); !error.isEmpty())
        return error;

    const RawCells rawCells = sheet.takeCells();
    SharedStrings sharedStrings;
    // Without a shared-strings relationship the table is empty; a named part that is absent is damage.
    if (QString error = sharedStrings.read(package, sharedStringsPart, SharedStringIndices(rawCells)); !error.isEmpty())
        return error;

    // Formulas only cost time when the block has some: the workbook part is then read to its end.
    CalculatedCells calculated;
    if (HasFormulas(rawCells)) {
        WorkbookFormulaParts parts;
        if (QString error = ReadWorkbookFormulaParts(package, workbookPart, parts); !error.isEmpty())
            return error;
        if (NeedsCalculation(rawCells, parts.fullCalcOnLoad)) {
            for (auto &sheetParts : parts.sheets) {
                for (const XlsxRelationship &relationship : workbookRelationships) {
                    if (relationship.id == sheetParts.relationshipId) {
                        sheetParts.part = relationship.target;
                        break;
                    }
                }
            }
            calculated = CalculateBlock(package, parts, sharedStringsPart, rawCells, now);
            if (!calculated.ok())
                return calculated.error;
        }
    }

    for (const auto &[position, raw] : rawCells.cells) {
        const auto found = calculated.cells.find(position);
        CellValue value = found != calculated.cells.end() ? std::move(found->second) : ResolveCell(raw, sharedStrings);
        if (value.type != CellValue::Type::Empty)
            receive(position, std::move(value));
    }
    return {};
}

} // namespace

QString ReadFirstSheet(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                       std::int64_t inflatedLimit)
{
    try {
        return ReadCells(path, window, now, receive, inflatedLimit);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("workbook too large");
    }
}

SheetCellsResult ReadFirstSheetCells(const QString &path, const CellWindow &window, const QDateTime &now,
                                     std::int64_t inflatedLimit)
{
    SheetCellsResult result;
    result.error = ReadFirstSheet(
        path, window, now,
        [&](const CellPosition &position, CellValue &&value) {
            result.cells.emplace_hint(result.cells.end(), position, std::move(value));
        },
        inflatedLimit);
    if (!result.ok())
        result.cells.clear();
    return result;
}
