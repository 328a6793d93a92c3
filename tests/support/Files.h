#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <ostream>

// Files and texts shared by the tests.

inline const QString Fixtures = QStringLiteral(TAVREL_SOURCE_DIR "/tests/fixtures/");

// Readable failure messages for QString comparisons.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// The file's bytes; "<missing>" when it cannot be read, so a missing file never equals an empty one.
inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
