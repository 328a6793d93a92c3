#include "xlsx/XlsxPackage.h"

#include "xlsx/CompoundFile.h"
#include "xlsx/XmlTokenizer.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <zip.h>

namespace {

constexpr std::int64_t SmallChunk = 8 * 1024; // while the part is young, unless the handler can tell better
constexpr std::int64_t SmallestChunk = 1024;
constexpr qint64 InMemoryLimit = 1024 * 1024;
constexpr std::int64_t GrowingFrom = 64 * 1024;
constexpr std::int64_t MaxChunkSize = 8 * 1024 * 1024;
const char CfbSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
const QByteArray OdsMimeType = QByteArrayLiteral("application/vnd.oasis.opendocument.spreadsheet");

QString NormalisedName(QString name)
{
    name.replace(u'\\', u'/');
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    return name.toCaseFolded();
}

// Small chunks at first, so that a read that stops early (a sheet at row 101, the shared strings after the last
// one used) inflates little past its stop, each sized to what the handler expects to still need where it can
// tell; then chunks grow with the part, so that a token spanning many of them is not rescanned endlessly.
std::int64_t ChunkSize(std::int64_t fed, const XmlPartHandler &handler)
{
    if (fed >= GrowingFrom)
        return std::min(fed, MaxChunkSize);
    const std::int64_t needed = handler.bytesStillNeeded(fed);
    return needed > 0 ? std::clamp(needed, SmallestChunk, SmallChunk) : SmallChunk;
}

// Excel 97 to 2003 keeps its sheets in a "Workbook" stream, Excel 5 in "Book"; an encrypted .xlsx is an
// "EncryptedPackage" stream in the same container.
Failure CompoundFileReason(const QString &path)
{
    const QStringList streams = CompoundFileEntryNames(path);
    const auto has = [&streams](const char *name) {
        return streams.contains(QLatin1String(name), Qt::CaseInsensitive);
    };
    if (!has("EncryptedPackage") && (has("Workbook") || has("Book")))
        return {QStringLiteral("legacy .xls workbook: save it as .xlsx")};
    return {QStringLiteral("encrypted workbook")};
}

} // namespace

// A workbook as libzip reads it: a usual one read whole into the block, a larger one through the file opened
// once, small requests (a local header, the next compressed bytes) served from a block read at once and large ones
// (the central directory) read directly. libzip's own file source opens the file again and reads through stdio,
// in 4 KiB pieces with a seek before most.
struct ZipFileSource {
    static constexpr zip_uint64_t BlockSize = 16 * 1024;

    QFile file;
    zip_uint64_t size = 0;
    zip_uint64_t position = 0;
    zip_error_t error{};
    QByteArray block;
    zip_uint64_t blockStart = 0;

    // The bytes read, fewer only at the end of the file; -1 when the file would not seek or read.
    zip_int64_t read(char *data, zip_uint64_t length)
    {
        zip_uint64_t offset = position - blockStart;
        const zip_uint64_t held = zip_uint64_t(block.size());
        const bool inBlock =
            position >= blockStart && offset <= held && (held - offset >= length || blockStart + held == size);
        if (!inBlock) {
            if (!file.seek(qint64(position)))
                return -1;
            if (length >= BlockSize) {
                const qint64 got = file.read(data, qint64(length));
                position += zip_uint64_t(std::max<qint64>(got, 0));
                return got;
            }
            block.resize(BlockSize);
            const qint64 got = file.read(block.data(), qint64(BlockSize));
            block.resize(std::max<qint64>(got, 0));
            blockStart = position;
            offset = 0;
            if (got < 0)
                return -1;
        }
        const zip_uint64_t count = std::min(length, zip_uint64_t(block.size()) - offset);
        if (count)
            std::memcpy(data, block.constData() + offset, count);
        position += count;
        return zip_int64_t(count);
    }
};

namespace {

zip_int64_t ReadZipFile(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    ZipFileSource &source = *static_cast<ZipFileSource *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source.position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        errno = 0; // so that the reason given is the failed read's own, not an earlier call's
        const zip_int64_t read = source.read(static_cast<char *>(data), length);
        if (read < 0)
            zip_error_set(&source.error, ZIP_ER_READ, errno ? errno : EIO);
        return read;
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t position =
            zip_source_seek_compute_offset(source.position, source.size, data, length, &source.error);
        if (position < 0)
            return -1;
        source.position = zip_uint64_t(position);
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return zip_int64_t(source.position);
    case ZIP_SOURCE_STAT: {
        zip_stat_t *stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source.error);
        if (!stat)
            return -1;
        zip_stat_init(stat);
        stat->size = source.size;
        stat->valid |= ZIP_STAT_SIZE;
        return 0;
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, -1);
    default:
        zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Collects the Relationship elements of a .rels part.
class RelationshipsHandler : public XmlPartHandler
{
public:
    RelationshipsHandler(const QString &sourcePart, std::vector<XlsxRelationship> &out)
        : m_sourcePart(sourcePart), m_out(out), m_outBefore(out.size())
    {
    }

    void startElement(XmlNs ns, std::string_view name, const XmlAttributes &attributes) override
    {
        if (ns != XmlNs::Package || name != "Relationship")
            return;
        const char *id = attributes.value(XmlNs::None, "Id");
        const char *type = attributes.value(XmlNs::None, "Type");
        const char *target = attributes.value(XmlNs::None, "Target");
        const char *mode = attributes.value(XmlNs::None, "TargetMode");
        if (!id || !type || !target || (mode && std::string_view(mode) == "External"))
            return;
        m_out.push_back({QString::fromUtf8(id), QString::fromUtf8(type),
                         XlsxPackage::resolveTarget(m_sourcePart, QString::fromUtf8(target))});
    }
    void endElement(XmlNs, std::string_view) override {}

protected:
    bool forget() override
    {
        m_out.erase(m_out.begin() + std::ptrdiff_t(m_outBefore), m_out.end());
        return true;
    }

private:
    const QString &m_sourcePart;
    std::vector<XlsxRelationship> &m_out;
    size_t m_outBefore;
};

} // namespace

Failure Damaged(const QString &detail)
{
    return {QStringLiteral("damaged workbook: ") + detail};
}

bool IsRelationshipType(const QString &type, QLatin1String name)
{
    static const QLatin1String transitional("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    static const QLatin1String strict("http://purl.oclc.org/ooxml/officeDocument/relationships/");
    if (!type.endsWith(name) || type.size() < name.size() + 1)
        return false;
    const QStringView prefix = QStringView(type).left(type.size() - name.size());
    return prefix == transitional || prefix == strict;
}

XlsxPackage::XlsxPackage(std::int64_t inflatedLimit) : m_budget(inflatedLimit) {}

XlsxPackage::~XlsxPackage()
{
    if (m_archive)
        zip_discard(m_archive);
}

Failure XlsxPackage::open(const QString &path)
{
    if (const Failure failure = load(path))
        return failure;
    const QByteArray head = m_file->block.left(8);
    if (head.isEmpty())
        return {QStringLiteral("not an xlsx workbook")};
    if (head == QByteArray(CfbSignature, 8))
        return CompoundFileReason(path);
    if (const Failure failure = openArchive(head))
        return failure;
    indexEntries();
    if (isOpenDocumentSpreadsheet())
        return {QStringLiteral("OpenDocument spreadsheet, not .xlsx")};
    return {};
}

Failure XlsxPackage::load(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {QStringLiteral("file not found")};
    if (info.isDir())
        return {QStringLiteral("is a folder")};
    // A pipe or a device is no workbook, and reading a pipe could block.
    if (!info.isFile())
        return {QStringLiteral("not an xlsx workbook")};
    // A usual workbook is read whole, once, so that libzip seeks and reads in memory, not with a system call
    // each, and the file is closed at once. Unbuffered, so that of a larger one only the eight bytes asked for are
    // read; that one stays open for libzip.
    m_file = std::make_unique<ZipFileSource>();
    QFile &file = m_file->file;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {QStringLiteral("file not found")};
    const bool whole = info.size() <= InMemoryLimit;
    m_file->block = file.read(whole ? info.size() : 8);
    m_file->size = whole ? zip_uint64_t(m_file->block.size()) : zip_uint64_t(info.size());
    if (whole)
        file.close();
    return {};
}

Failure XlsxPackage::openArchive(const QByteArray &head)
{
    // libzip reports a truncated archive and a file of another kind alike; the first bytes tell them apart.
    zip_error_t sourceError;
    zip_error_init(&sourceError);
    zip_error_init(&m_file->error);
    zip_source_t *source = zip_source_function_create(ReadZipFile, m_file.get(), &sourceError);
    if (source) {
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &sourceError);
        if (!m_archive)
            zip_source_free(source);
    }
    const int error = zip_error_code_zip(&sourceError);
    zip_error_fini(&sourceError);
    if (m_archive)
        return {};
    if (!head.startsWith("PK"))
        return {QStringLiteral("not an xlsx workbook")};
    zip_error_t zipError;
    zip_error_init_with_code(&zipError, error);
    const Failure failure =
        Damaged(QStringLiteral("unreadable zip archive (%1)").arg(QString::fromUtf8(zip_error_strerror(&zipError))));
    zip_error_fini(&zipError);
    return failure;
}

void XlsxPackage::indexEntries()
{
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(m_archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!name)
            continue;
        const QString key = NormalisedName(QString::fromUtf8(name));
        if (!m_entries.contains(key)) // of names differing only in case or slashes, the first counts
            m_entries.insert(key, std::uint64_t(i));
    }
}

bool XlsxPackage::isOpenDocumentSpreadsheet() const
{
    // An OpenDocument package names its kind in a first, stored entry called "mimetype".
    const std::optional<std::uint64_t> index = entryIndex(QStringLiteral("mimetype"));
    if (!index)
        return false;
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> file(zip_fopen_index(m_archive, *index, 0), zip_fclose);
    if (!file)
        return false;
    char text[64] = {};
    const zip_int64_t length = zip_fread(file.get(), text, sizeof text);
    return length > 0 && QByteArray(text, int(length)).trimmed() == OdsMimeType;
}

std::optional<std::uint64_t> XlsxPackage::entryIndex(const QString &partName) const
{
    auto found = m_entries.constFind(NormalisedName(partName));
    if (found != m_entries.constEnd())
        return *found;
    // Targets may be written percent-encoded while the archive holds the plain name.
    if (partName.contains(u'%')) {
        const QString decoded = QString::fromUtf8(QByteArray::fromPercentEncoding(partName.toUtf8()));
        found = m_entries.constFind(NormalisedName(decoded));
        if (found != m_entries.constEnd())
            return *found;
    }
    return std::nullopt;
}

Failure XlsxPackage::parse(const QString &partName, XmlPartHandler &handler)
{
    const std::optional<std::uint64_t> index = entryIndex(partName);
    if (!index)
        return Damaged(QStringLiteral("missing part ") + partName);
    // The quick tokenizer first; where it gives up, expat reads the part again from its start, so that every
    // result and every reason is expat's.
    if (handler.restart()) {
        const std::int64_t budget = m_budget;
        if (parseQuickly(*index, handler))
            return {};
        m_budget = budget;
        handler.restart();
    }
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> file(zip_fopen_index(m_archive, *index, 0), zip_fclose);
    if (!file)
        return Damaged(
            QStringLiteral("cannot open part %1 (%2)").arg(partName, QString::fromUtf8(zip_strerror(m_archive))));

    XmlPartParser parser(handler);
    std::int64_t fed = 0;
    for (;;) {
        zip_int64_t length = 0;
        if (m_budget > 0) {
            const int want = int(std::min(ChunkSize(fed, handler), m_budget));
            void *buffer = parser.buffer(want);
            if (!buffer)
                return {QStringLiteral("workbook too large")};
            length = zip_fread(file.get(), buffer, zip_uint64_t(want));
        } else {
            // The budget is spent: any further byte this part needs is one too many.
            char probe = 0;
            length = zip_fread(file.get(), &probe, 1);
            if (length > 0)
                return {QStringLiteral("workbook too large")};
        }
        if (length < 0)
            return Damaged(QStringLiteral("cannot inflate part %1 (%2)")
                               .arg(partName, QString::fromUtf8(zip_file_strerror(file.get()))));
        fed += length;
        m_budget -= length;
        switch (parser.parse(int(length), length == 0)) {
        case XmlPartParser::Status::More:
            break;
        case XmlPartParser::Status::Finished:
            refundUnread(handler, fed, parser.finishedAt());
            return {};
        case XmlPartParser::Status::BadXml:
            return Damaged(QStringLiteral("bad XML in %1 (%2)").arg(partName, parser.error()));
        case XmlPartParser::Status::DtdRefused:
            return Damaged(QStringLiteral("DTD not allowed"));
        case XmlPartParser::Status::OutOfMemory:
            return {QStringLiteral("workbook too large")};
        }
    }
}

bool XlsxPackage::parseQuickly(std::uint64_t index, XmlPartHandler &handler)
{
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> file(zip_fopen_index(m_archive, index, 0), zip_fclose);
    if (!file)
        return false;
    XmlTokenizer tokenizer(handler);
    std::int64_t fed = 0;
    for (;;) {
        // Reads the same chunks as expat; where the budget or the archive would decide, expat's read does.
        const std::int64_t want = ChunkSize(fed, handler);
        if (want > m_budget)
            return false;
        char *buffer = nullptr;
        try {
            buffer = tokenizer.buffer(size_t(want));
        } catch (const std::bad_alloc &) {
            return false;
        }
        const zip_int64_t length = zip_fread(file.get(), buffer, zip_uint64_t(want));
        if (length < 0)
            return false;
        fed += length;
        m_budget -= length;
        switch (tokenizer.parse(size_t(length), length == 0)) {
        case XmlTokenizer::Status::More:
            break;
        case XmlTokenizer::Status::Finished:
            refundUnread(handler, fed, tokenizer.finishedAt());
            return true;
        case XmlTokenizer::Status::GaveUp:
            return false;
        }
    }
}

void XlsxPackage::refundUnread(const XmlPartHandler &handler, std::int64_t fed, std::int64_t finishedAt)
{
    if (handler.finished())
        m_budget += fed - std::min(fed, finishedAt);
}

XlsxRelationships XlsxPackage::readRelationships(const QString &sourcePart)
{
    XlsxRelationships relationships;
    RelationshipsHandler handler(sourcePart, relationships.list);
    relationships.failure = parse(relationshipsPart(sourcePart), handler);
    return relationships;
}

QString XlsxPackage::relationshipsPart(const QString &sourcePart)
{
    const qsizetype slash = sourcePart.lastIndexOf(u'/');
    return sourcePart.left(slash + 1) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1) + QStringLiteral(".rels");
}

QString XlsxPackage::resolveTarget(const QString &sourcePart, const QString &target)
{
    QString path = target;
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/'))
        path.prepend(sourcePart.left(sourcePart.lastIndexOf(u'/') + 1));
    QStringList segments;
    for (const QString &segment : path.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty()) // ".." at the root stays there
                segments.removeLast();
        } else if (segment != QLatin1String("."))
            segments.append(segment);
    }
    return segments.join(u'/');
}
