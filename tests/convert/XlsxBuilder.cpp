#include "tests/convert/XlsxBuilder.h"

#include <QFile>
#include <zip.h>

namespace {

const QByteArray Declaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                               "\n";
const QByteArray MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray Relationships(const QByteArray &items)
{
    return Declaration + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
           items + "</Relationships>";
}
QByteArray Relationship(const char *id, const char *type, const char *target)
{
    return "<Relationship Id=\"" + QByteArray(id) + "\" Type=\"" + RelNs + '/' + type + "\" Target=\"" + target +
           "\"/>";
}
QByteArray ContentType(const char *part, const char *type)
{
    return "<Override PartName=\"" + QByteArray(part) +
           "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml." + type + "+xml\"/>";
}

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
        const zip_int64_t index =
            source ? zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) == 0)
        return true;
    zip_discard(archive);
    return false;
}

XlsxParts TestWorkbookParts(const QString &sheetDataXml, const QStringList &sharedStrings)
{
    const QByteArray namespaces = "xmlns=\"" + MainNs + "\" xmlns:r=\"" + RelNs + "\"";
    XlsxParts parts = {
        {QStringLiteral("[Content_Types].xml"),
         Declaration + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)" +
             R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)" +
             R"(<Default Extension="xml" ContentType="application/xml"/>)" +
             ContentType("/xl/workbook.xml", "sheet.main") + ContentType("/xl/worksheets/sheet1.xml", "worksheet") +
             ContentType("/xl/sharedStrings.xml", "sharedStrings") + "</Types>"},
        {QStringLiteral("_rels/.rels"), Relationships(Relationship("rId1", "officeDocument", "xl/workbook.xml"))},
        {QStringLiteral("xl/workbook.xml"),
         Declaration + "<workbook " + namespaces +
             R"(><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         Relationships(Relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
                       Relationship("rId2", "sharedStrings", "sharedStrings.xml"))},
        {QStringLiteral("xl/worksheets/sheet1.xml"), Declaration + "<worksheet " + namespaces + "><sheetData>" +
                                                         sheetDataXml.toUtf8() + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.isEmpty()) {
        QByteArray sst = Declaration + "<sst xmlns=\"" + MainNs + "\" count=\"" +
                         QByteArray::number(sharedStrings.size()) + "\" uniqueCount=\"" +
                         QByteArray::number(sharedStrings.size()) + "\">";
        for (const QString &text : sharedStrings)
            sst += R"(<si><t xml:space="preserve">)" + XmlEscaped(text).toUtf8() + "</t></si>";
        parts.emplace_back(QStringLiteral("xl/sharedStrings.xml"), sst + "</sst>");
    }
    return parts;
}

bool WriteTestWorkbook(const QString &path, const QString &sheetDataXml, const QStringList &sharedStrings)
{
    return WriteZip(path, TestWorkbookParts(sheetDataXml, sharedStrings));
}

bool WriteOneEventSchedule(const QString &path)
{
    return WriteTestWorkbook(path, RowXml(5, NumberCell("J5", "1") + NumberCell("K5", "0.5") +
                                                 NumberCell("L5", "0.5104166666666666") +
                                                 InlineStringCell("R5", "News") + InlineStringCell("V5", "CAM 1")));
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
