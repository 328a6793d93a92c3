#pragma once

#include "events/Failure.h"
#include "xlsx/XlsxXml.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct zip;
struct ZipFileSource;

// Inflated XML a whole read may need, counted over every part.
constexpr std::int64_t InflatedXmlLimit = std::int64_t(64) * 1024 * 1024;

// One relationship of a part, its target resolved to a part name ("xl/worksheets/sheet1.xml").
struct XlsxRelationship {
    QString id;
    QString type;
    QString target;
};

// A part's relationships, or why they could not be read.
struct [[nodiscard]] XlsxRelationships {
    std::vector<XlsxRelationship> list;
    Failure failure;
};

// The zip container of a workbook: opening with the exact reason, part lookup, relationships and streaming
// of parts through the quick tokenizer or expat under one budget of inflated bytes.
class XlsxPackage
{
public:
    explicit XlsxPackage(std::int64_t inflatedLimit = InflatedXmlLimit);
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage &) = delete;
    XlsxPackage &operator=(const XlsxPackage &) = delete;

    // Why the file cannot be read as a package: "file not found", "is a folder", "not an xlsx workbook", "encrypted
    // workbook", "legacy .xls workbook: save it as .xlsx", "OpenDocument spreadsheet, not .xlsx" or "damaged workbook:
    // ...".
    Failure open(const QString &path);

    // Whether the archive holds the part, names compared without regard to case and with "\" read as "/".
    bool contains(const QString &partName) const { return entryIndex(partName).has_value(); }

    // Streams the part through the handler until it ends or the handler is finished; fails with "workbook too
    // large" or "damaged workbook: ...".
    Failure parse(const QString &partName, XmlPartHandler &handler);

    // Reads the relationships of a part ("" for the package itself); internal targets only.
    XlsxRelationships readRelationships(const QString &sourcePart);

    // A relationship target resolved against the folder of its source part; a leading "/" is the root.
    static QString resolveTarget(const QString &sourcePart, const QString &target);
    // The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
    static QString relationshipsPart(const QString &sourcePart);

private:
    // Reads the file, whole when small, else its first bytes.
    Failure load(const QString &path);
    Failure openArchive(const QByteArray &head);
    void indexEntries();
    std::optional<std::uint64_t> entryIndex(const QString &partName) const;
    bool isOpenDocumentSpreadsheet() const;
    // Reads the part with the quick tokenizer; false when it gave up.
    bool parseQuickly(std::uint64_t index, XmlPartHandler &handler);
    // A part read to its handler's end: the bytes inflated past the point where it finished were not needed.
    void refundUnread(const XmlPartHandler &handler, std::int64_t fed, std::int64_t finishedAt);

    std::unique_ptr<ZipFileSource> m_file; // what the archive reads; it outlives the archive
    zip *m_archive = nullptr;
    QHash<QString, std::uint64_t> m_entries; // by normalised name
    std::int64_t m_budget;                   // inflated bytes still allowed
};

// The relationship type name for both conformance classes: "officeDocument" matches
// ".../officeDocument/2006/relationships/officeDocument" and ".../ooxml/officeDocument/relationships/officeDocument".
bool IsRelationshipType(const QString &type, QLatin1String name);

// "damaged workbook: " and the detail: the reason for every structural fault of a package.
Failure Damaged(const QString &detail);
