#include "xlsx/XlsxWorkbook.h"

#include "xlsx/SharedStrings.h"
#include "xlsx/WorkbookFormulas.h"
#include "xlsx/XlsxPackage.h"

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

Failure ReadCells(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                  std::int64_t inflatedLimit)
{
    XlsxPackage package(inflatedLimit);
    if (Failure failure = package.open(path))
        return failure;

    const XlsxRelationships packageRelationships = package.readRelationships(QString());
    if (packageRelationships.failure)
        return packageRelationships.failure;
    QString workbookPart;
    for (const XlsxRelationship &relationship : packageRelationships.list) {
        if (IsRelationshipType(relationship.type, QLatin1String("officeDocument"))) {
            workbookPart = relationship.target;
            break;
        }
    }
    if (workbookPart.isEmpty())
        return Damaged(QStringLiteral("no workbook part"));

    WorkbookHandler workbook;
    if (Failure failure = package.parse(workbookPart, workbook))
        return failure;
    if (!workbook.sheetFound)
        return Damaged(QStringLiteral("no sheet in ") + workbookPart);
    if (workbook.sheetRelationshipId.isEmpty())
        return Damaged(QStringLiteral("first sheet has no relationship id"));

    const XlsxRelationships workbookRelationships = package.readRelationships(workbookPart);
    if (workbookRelationships.failure)
        return workbookRelationships.failure;
    QString sheetPart;
    QString sharedStringsPart;
    for (const XlsxRelationship &relationship : workbookRelationships.list) {
        if (sheetPart.isEmpty() && relationship.id == workbook.sheetRelationshipId)
            sheetPart = relationship.target;
        if (sharedStringsPart.isEmpty() && IsRelationshipType(relationship.type, QLatin1String("sharedStrings")))
            sharedStringsPart = relationship.target;
    }
    if (sheetPart.isEmpty())
        return Damaged(QStringLiteral("no relationship %1 for the first sheet").arg(workbook.sheetRelationshipId));

    // A chartsheet has no sheetData, so it simply gives no cells.
    SheetReader sheet(window);
    if (Failure failure = package.parse(sheetPart, sheet))
        return failure;

    const RawCells rawCells = sheet.takeCells();
    SharedStrings sharedStrings;
    // Without a shared-strings relationship the table is empty; a named part that is absent is damage.
    if (Failure failure = sharedStrings.read(package, sharedStringsPart, SharedStringIndices(rawCells)))
        return failure;

    // Formulas only cost time when the window holds some: the workbook part is then read to its end.
    CalculatedCells calculated;
    if (HasFormulas(rawCells)) {
        WorkbookFormulaParts parts = ReadWorkbookFormulaParts(package, workbookPart);
        if (parts.failure)
            return parts.failure;
        if (NeedsCalculation(rawCells, parts.fullCalcOnLoad)) {
            for (auto &sheetParts : parts.sheets) {
                for (const XlsxRelationship &relationship : workbookRelationships.list) {
                    if (relationship.id == sheetParts.relationshipId) {
                        sheetParts.part = relationship.target;
                        break;
                    }
                }
            }
            calculated = CalculateWindow(package, parts, sharedStringsPart, rawCells, now);
            if (calculated.failure)
                return calculated.failure;
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

Failure ReadFirstSheet(const QString &path, const CellWindow &window, const QDateTime &now, const CellReceiver &receive,
                       std::int64_t inflatedLimit)
{
    try {
        return ReadCells(path, window, now, receive, inflatedLimit);
    } catch (const std::bad_alloc &) {
        return {QStringLiteral("workbook too large")};
    }
}

FirstSheetCells ReadFirstSheetCells(const QString &path, const CellWindow &window, const QDateTime &now,
                                    std::int64_t inflatedLimit)
{
    FirstSheetCells result;
    result.failure = ReadFirstSheet(
        path, window, now,
        [&](const CellPosition &position, CellValue &&value) {
            result.cells.emplace_hint(result.cells.end(), position, std::move(value));
        },
        inflatedLimit);
    if (result.failure)
        result.cells.clear();
    return result;
}
