#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>
#include <zip.h>

// Writes a one-sheet workbook whose sheet and shared-strings parts are the given bytes, stored uncompressed so
// that the bytes reach the XML parser exactly as given.
inline void WriteMinimalWorkbook(const QString &path, const QByteArray &sheetXml, const QByteArray &sharedStringsXml)
{
    static const QByteArray contentTypes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
    static const QByteArray rootRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"xl/workbook.xml\"/></Relationships>";
    static const QByteArray workbook =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    static const QByteArray workbookRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
        "Target=\"sharedStrings.xml\"/></Relationships>";
    const std::vector<std::pair<const char *, const QByteArray *>> parts = {
        {"[Content_Types].xml", &contentTypes},  {"_rels/.rels", &rootRels},
        {"xl/workbook.xml", &workbook},          {"xl/_rels/workbook.xml.rels", &workbookRels},
        {"xl/worksheets/sheet1.xml", &sheetXml}, {"xl/sharedStrings.xml", &sharedStringsXml},
    };

    int error = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    bool ok = archive != nullptr;
    for (const auto &[name, bytes] : parts) {
        if (!ok) {
            break;
        }
        zip_source_t *source = zip_source_buffer(archive, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            zip_source_free(source);
            ok = false;
        } else {
            ok = zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0;
        }
    }
    if (!ok || zip_close(archive) != 0) {
        std::fprintf(stderr, "cannot build the workbook\n");
        std::abort();
    }
}
