#pragma once

#include <QByteArray>
#include <QString>

// Bytes of a configuration file as text: UTF-8 when the whole file is valid UTF-8, otherwise Windows-1252.
// A leading UTF-8 byte-order mark is dropped.
QString DecodeConfigText(const QByteArray &bytes);
