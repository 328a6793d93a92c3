#include "xlsx/formula/Refusal.h"

namespace formula {

QString Refusal::text() const
{
    const QString notHere = QStringLiteral(", which is not calculated here");
    switch (kind) {
    case Kind::Function:
        return QStringLiteral("uses ") + subject + notHere;
    case Kind::Syntax:
        return QStringLiteral("cannot be read at character ") + subject;
    case Kind::Construct:
        return QStringLiteral("uses ") + subject + notHere;
    case Kind::ExternalReference:
        return QStringLiteral("refers to another workbook") + notHere;
    case Kind::ArrayFormula:
        return QStringLiteral("is an array formula") + notHere;
    case Kind::FormatCode:
        return QStringLiteral("uses TEXT with the format \"") + subject + QLatin1Char('"') + notHere;
    case Kind::TooLong:
        return QStringLiteral("is longer than ") + subject + QStringLiteral(" characters") + notHere;
    case Kind::TooDeep:
        return QStringLiteral("nests more than ") + subject + QStringLiteral(" levels deep") + notHere;
    case Kind::ChainTooLong:
        return QStringLiteral("reaches through more than ") + subject + QStringLiteral(" formulas in a chain") +
               notHere;
    case Kind::RangeTooLarge:
        return QStringLiteral("uses a range of more than ") + subject + QStringLiteral(" cells") + notHere;
    case Kind::TooManyCells:
        return QStringLiteral("reads more than ") + subject + QStringLiteral(" cells") + notHere;
    }
    return {};
}

} // namespace formula
