#include "xlsx/CompoundFile.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <cstdint>
#include <optional>

namespace {

constexpr char Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr int HeaderSize = 512;
constexpr int HeaderDifatEntries = 109;
constexpr int EntrySize = 128;
constexpr std::uint32_t MaxRegularSector = 0xFFFFFFFA;
// A directory of this many sectors holds thousands of entries; a longer chain is a loop or garbage.
constexpr int MaxDirectorySectors = 4096;
// Sector reads one look may take, so that a file of crafted chains cannot keep a conversion busy.
constexpr int SectorReadBudget = 65536;

class CompoundReader
{
public:
    explicit CompoundReader(QFile &file) : m_file(file) {}

    bool readHeader()
    {
        m_header = m_file.read(HeaderSize);
        if (m_header.size() != HeaderSize || !m_header.startsWith(QByteArray(Signature, 8)))
            return false;
        const int shift = qFromLittleEndian<std::uint16_t>(m_header.constData() + 30);
        if (shift != 9 && shift != 12)
            return false;
        m_sectorSize = 1 << shift;
        return true;
    }

    std::uint32_t headerWord(int offset) const
    {
        return qFromLittleEndian<std::uint32_t>(m_header.constData() + offset);
    }

    std::optional<QByteArray> sector(std::uint32_t index)
    {
        if (index > MaxRegularSector || m_reads++ >= SectorReadBudget ||
            !m_file.seek((qint64(index) + 1) * m_sectorSize))
            return std::nullopt;
        QByteArray bytes = m_file.read(m_sectorSize);
        if (bytes.size() != m_sectorSize)
            return std::nullopt;
        return bytes;
    }

    // The FAT entry of a sector: the next sector of its chain.
    std::optional<std::uint32_t> next(std::uint32_t index)
    {
        const std::uint32_t perSector = std::uint32_t(m_sectorSize / 4);
        const std::optional<std::uint32_t> fatSector = fatSectorAt(index / perSector);
        if (!fatSector)
            return std::nullopt;
        const std::optional<QByteArray> fat = sector(*fatSector);
        if (!fat)
            return std::nullopt;
        return qFromLittleEndian<std::uint32_t>(fat->constData() + 4 * (index % perSector));
    }

    int sectorSize() const { return m_sectorSize; }

private:
    // The sector holding the n-th part of the FAT: the header lists the first 109, a DIFAT chain the rest.
    std::optional<std::uint32_t> fatSectorAt(std::uint32_t n)
    {
        if (n < HeaderDifatEntries)
            return headerWord(76 + 4 * int(n));
        n -= HeaderDifatEntries;
        const std::uint32_t perDifat = std::uint32_t(m_sectorSize / 4) - 1; // the last word links on
        std::uint32_t difat = headerWord(68);
        for (int hops = 0; hops < MaxDirectorySectors; ++hops) {
            const std::optional<QByteArray> bytes = sector(difat);
            if (!bytes)
                return std::nullopt;
            if (n < perDifat)
                return qFromLittleEndian<std::uint32_t>(bytes->constData() + 4 * n);
            n -= perDifat;
            difat = qFromLittleEndian<std::uint32_t>(bytes->constData() + 4 * perDifat);
        }
        return std::nullopt;
    }

    QFile &m_file;
    QByteArray m_header;
    int m_sectorSize = 0;
    int m_reads = 0;
};

} // namespace

QStringList CompoundFileEntryNames(const QString &path)
{
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    CompoundReader reader(file);
    if (!reader.readHeader())
        return names;
    QSet<std::uint32_t> visited;
    std::optional<std::uint32_t> at = reader.headerWord(48);
    while (at && visited.size() < MaxDirectorySectors && !visited.contains(*at)) {
        visited.insert(*at);
        const std::optional<QByteArray> bytes = reader.sector(*at);
        if (!bytes)
            break;
        for (int offset = 0; offset + EntrySize <= reader.sectorSize(); offset += EntrySize) {
            const char *entry = bytes->constData() + offset;
            const int nameBytes = qFromLittleEndian<std::uint16_t>(entry + 64);
            const int type = static_cast<unsigned char>(entry[66]);
            // The length counts the terminating null; unused entries have type 0.
            if (type == 0 || nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
                continue;
            QString name;
            for (int i = 0; i + 2 < nameBytes; i += 2)
                name += QChar(qFromLittleEndian<std::uint16_t>(entry + i));
            names.append(name);
        }
        at = reader.next(*at);
    }
    return names;
}
