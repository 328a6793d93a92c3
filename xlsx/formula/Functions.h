#pragma once

#include "xlsx/formula/Calc.h"

#include <optional>

namespace formula {

using FunctionBody = Operand (*)(Calc &calc, Args args);

struct FunctionInfo {
    QStringView name;
    int minArgs;
    int maxArgs;
    FunctionBody body;
};

// The functions calculated here, by family.
std::span<const FunctionInfo> LogicFunctions();
std::span<const FunctionInfo> MathFunctions();
std::span<const FunctionInfo> DateFunctions();
std::span<const FunctionInfo> TextFunctions();
std::span<const FunctionInfo> LookupFunctions();

// nullptr for a function not calculated here; name in capitals without its _xlfn. prefix.
const FunctionInfo *FindFunction(QStringView name);

// Why a formula cannot be calculated for the functions it calls, if it cannot.
std::optional<Refusal> CheckCalls(const Formula &formula);

// Helpers the families share.
Value NumberArg(Calc &calc, int node, double &out); // Blank when out is set, else the error
Value TextArg(Calc &calc, int node, QString &out);
Value TextResult(QString text); // #VALUE! past 32767 characters
double Truncate(double value);

} // namespace formula
