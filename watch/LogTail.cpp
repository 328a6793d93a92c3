#include "watch/LogTail.h"

#include <QFile>
#include <QFileInfo>

LogRead LogTail::readNew(qint64 maxBytes)
{
    LogRead result;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (QFileInfo::exists(m_path))
            result.failure = {QStringLiteral("cannot read ") + m_path + QStringLiteral(": ") + file.errorString()};
        else
            result.restarted = m_offset > 0;
        m_offset = 0;
        return result;
    }
    const qint64 size = file.size();
    if (size < m_offset) {
        result.restarted = true;
        m_offset = 0;
    }
    if (size == m_offset)
        return result;
    if (!file.seek(m_offset)) {
        result.failure = {QStringLiteral("cannot read ") + m_path + QStringLiteral(": ") + file.errorString()};
        return result;
    }
    const QByteArray bytes = file.read(maxBytes);
    file.close();
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0) {
        // One line longer than a whole read is shown as it stands rather than never.
        if (bytes.size() < maxBytes)
            return result;
        result.lines.append(QString::fromUtf8(bytes));
        result.kinds.push_back(ClassifyLogLine(result.lines.back()));
        m_offset += bytes.size();
        result.more = m_offset < size;
        return result;
    }
    qsizetype start = 0;
    while (start <= end) {
        const qsizetype newline = bytes.indexOf('\n', start);
        qsizetype length = newline - start;
        if (length > 0 && bytes.at(newline - 1) == '\r')
            --length;
        result.lines.append(QString::fromUtf8(bytes.constData() + start, length));
        result.kinds.push_back(ClassifyLogLine(result.lines.back()));
        start = newline + 1;
    }
    m_offset += end + 1;
    result.more = m_offset < size;
    return result;
}
