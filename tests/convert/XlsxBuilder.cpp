#include "tests/convert/XlsxBuilder.h"

#include <QFile>
#include <zip.h>

namespace {

const char ContentTypesXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/sharedStrings.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
    R"(</Types>)";

const char RootRelsXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="xl/workbook.xml"/></Relationships>)";

const char WorkbookXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";

const char WorkbookRelsXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" )"
    R"(Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" )"
    R"(Target="sharedStrings.xml"/></Relationships>)";

} // namespace

bool WriteZip(const QString &path, const XlsxParts &entries)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, content] : entries) {
        // The buffers stay alive until zip_close, which is when libzip reads them.
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!source) {
            zip_discard(archive);
            return false;
        }
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

XlsxParts TestWorkbookParts(const QString &sheetDataXml, const QStringList &sharedStrings)
{
    const QString sheet =
        QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                       R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
                       R"(<sheetData>%1</sheetData></worksheet>)")
            .arg(sheetDataXml);
    XlsxParts parts = {
        {QStringLiteral("[Content_Types].xml"), QByteArray(ContentTypesXml)},
        {QStringLiteral("_rels/.rels"), QByteArray(RootRelsXml)},
        {QStringLiteral("xl/workbook.xml"), QByteArray(WorkbookXml)},
        {QStringLiteral("xl/_rels/workbook.xml.rels"), QByteArray(WorkbookRelsXml)},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheet.toUtf8()},
    };
    if (!sharedStrings.isEmpty()) {
        QString sst = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%1" uniqueCount="%1">)")
                          .arg(sharedStrings.size());
        for (const QString &text : sharedStrings)
            sst += QStringLiteral(R"(<si><t xml:space="preserve">%1</t></si>)").arg(XmlEscaped(text));
        sst += QStringLiteral("</sst>");
        parts.emplace_back(QStringLiteral("xl/sharedStrings.xml"), sst.toUtf8());
    }
    return parts;
}

bool WriteTestWorkbook(const QString &path, const QString &sheetDataXml, const QStringList &sharedStrings)
{
    return WriteZip(path, TestWorkbookParts(sheetDataXml, sharedStrings));
}

void SetPart(XlsxParts &parts, const QString &name, const QByteArray &content)
{
    for (auto &part : parts) {
        if (part.first == name) {
            part.second = content;
            return;
        }
    }
    parts.emplace_back(name, content);
}

void RemovePart(XlsxParts &parts, const QString &name)
{
    std::erase_if(parts, [&](const auto &part) { return part.first == name; });
}

QString XmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString NumberCell(const QString &ref, const QString &value)
{
    return QStringLiteral(R"(<c r="%1"><v>%2</v></c>)").arg(ref, value);
}

QString InlineStringCell(const QString &ref, const QString &text)
{
    return QStringLiteral(R"(<c r="%1" t="inlineStr"><is><t xml:space="preserve">%2</t></is></c>)")
        .arg(ref, XmlEscaped(text));
}

QString SharedStringCell(const QString &ref, int index)
{
    return QStringLiteral(R"(<c r="%1" t="s"><v>%2</v></c>)").arg(ref).arg(index);
}

QString RowXml(int row, const QString &cellsXml)
{
    return QStringLiteral(R"(<row r="%1">%2</row>)").arg(row).arg(cellsXml);
}
