#include "tests/support/XlsxBuilder.h"

#include <QtEndian>
#include <algorithm>
#include <zip.h>

QByteArray Rels(const QByteArray &relationships)
{
    return "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'>" + relationships +
           "</Relationships>";
}

QByteArray Rel(const char *id, const char *type, const QByteArray &target)
{
    return "<Relationship Id='" + QByteArray(id) + "' Type='" + RelNs + '/' + type + "' Target='" + target + "'/>";
}

QByteArray SheetXml(const QString &rows)
{
    return "<worksheet xmlns='" + MainNs + "'><sheetData>" + rows.toUtf8() + "</sheetData></worksheet>";
}

QByteArray SstXml(const QByteArray &items)
{
    return "<sst xmlns='" + MainNs + "'>" + items + "</sst>";
}

QByteArray WorkbookXml(const QByteArray &sheets)
{
    return "<workbook xmlns='" + MainNs + "' xmlns:r='" + RelNs + "'><sheets>" + sheets + "</sheets></workbook>";
}

bool WriteZip(const QString &path, const XlsxParts &entries)
{
    int error = 0;
    zip_t *archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
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
    XlsxParts parts = {
        {QStringLiteral("[Content_Types].xml"),
         "<Types xmlns='http://schemas.openxmlformats.org/package/2006/content-types'><Default Extension='xml' "
         "ContentType='application/xml'/></Types>"},
        {QStringLiteral("_rels/.rels"), Rels(Rel("rId1", "officeDocument", "xl/workbook.xml"))},
        {QStringLiteral("xl/workbook.xml"), WorkbookXml("<sheet name='Sheet1' sheetId='1' r:id='rId1'/>")},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         Rels(Rel("rId1", "worksheet", "worksheets/sheet1.xml") + Rel("rId2", "sharedStrings", "sharedStrings.xml"))},
        {QStringLiteral("xl/worksheets/sheet1.xml"), SheetXml(sheetDataXml)},
    };
    if (!sharedStrings.isEmpty()) {
        QByteArray items;
        for (const QString &text : sharedStrings)
            items += "<si><t xml:space='preserve'>" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        parts.emplace_back(QStringLiteral("xl/sharedStrings.xml"), SstXml(items));
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
    const auto found = std::find_if(parts.begin(), parts.end(), [&](const auto &part) { return part.first == name; });
    if (found == parts.end())
        parts.emplace_back(name, content);
    else
        found->second = content;
}

void RemovePart(XlsxParts &parts, const QString &name)
{
    std::erase_if(parts, [&](const auto &part) { return part.first == name; });
}

QString NumberCell(const QString &ref, const QString &value)
{
    return QStringLiteral(R"(<c r="%1"><v>%2</v></c>)").arg(ref, value);
}

QString InlineStringCell(const QString &ref, const QString &text)
{
    return QStringLiteral(R"(<c r="%1" t="inlineStr"><is><t xml:space="preserve">%2</t></is></c>)")
        .arg(ref, text.toHtmlEscaped());
}

QString RowXml(int row, const QString &cellsXml)
{
    return QStringLiteral(R"(<row r="%1">%2</row>)").arg(row).arg(cellsXml);
}

QByteArray CompoundFileBytes(const QStringList &streamNames)
{
    // Only what a reader of the directory needs: the signature, 512-byte sectors, the FAT in sector 0 (the
    // header's first FAT entry, left 0), the directory from sector 1 on with its chain, and each entry's name and
    // type.
    constexpr int SectorSize = 512;
    const QStringList names = QStringList{QStringLiteral("Root Entry")} + streamNames;
    const int directorySectors = int((names.size() + 3) / 4);
    QByteArray bytes((2 + directorySectors) * SectorSize, '\0');
    const auto put16 = [&bytes](int at, quint16 value) { qToLittleEndian(value, bytes.data() + at); };
    const auto put32 = [&bytes](int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); };
    bytes.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    put16(30, 9); // sector shift
    put32(48, 1); // first directory sector
    for (int s = 1; s <= directorySectors; ++s)
        put32(SectorSize + 4 * s, s == directorySectors ? 0xFFFFFFFE : quint32(s + 1)); // end of chain, or next
    for (int i = 0; i < names.size(); ++i) {
        const int at = (2 * SectorSize) + i * 128;
        const QString name = names[i].left(31);
        for (int c = 0; c < name.size(); ++c)
            put16(at + 2 * c, name[c].unicode());
        put16(at + 64, quint16(2 * (name.size() + 1)));
        bytes[at + 66] = char(i == 0 ? 5 : 2); // root storage, then streams
    }
    return bytes;
}
