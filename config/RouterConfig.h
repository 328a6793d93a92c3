#pragma once

#include "events/Failure.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr int RouterDestinationCount = 33; // VR 0..32
constexpr int RouterInputCount = 1280;     // entries 1..1280; entry 0 stays empty

struct RouterDestinationEntry {
    int16_t Router = 0;
    int16_t Output = 0;
    QString Name;
};

struct RouterInputEntry {
    bool Flag = false;
    QString TextA;
    QString TextB;
    int16_t Number = 0;
    QString Name;
    std::array<bool, 9> Level{}; // levels 1..8; index 0 unused
};

// The standard string hash: Qt's seeded one costs hundreds of nanoseconds a look-up on some processors.
struct InputNameHash {
    size_t operator()(const QString &name) const
    {
        const QStringView text(name);
        return std::hash<std::u16string_view>()(std::u16string_view(text.utf16(), size_t(text.size())));
    }
};

struct RouterConfig {
    std::array<RouterDestinationEntry, RouterDestinationCount> RouterDestination{};
    std::vector<RouterInputEntry> RouterInputTable = std::vector<RouterInputEntry>(RouterInputCount + 1);
    // Upper-cased name -> lowest entry number, so a look-up is not a scan of 1281 entries per row.
    std::unordered_map<QString, int16_t, InputNameHash> inputIndex;
    // RT-IN1.LST was read: a source missing from the table is then worth a word for each row that uses it.
    bool inputsRead = false;
};

// Destinations 0..32 from DWX.INI in the program folder (sections "VR 0".."VR 32"). When the file cannot be
// read, the defaults stand and the failure is the line for the operator: "DWX.INI not found in DIR: default
// destinations used" or "DWX.INI cannot be read: REASON: default destinations used".
Failure LoadRouterDestinations(const QString &programDir, RouterConfig &config);
// Inputs from RT-IN1.LST in the program folder; a missing file leaves the table empty and fails with "RT-IN1.LST
// not found in DIR: sources not matched, input 0 used" or "RT-IN1.LST cannot be read: REASON: sources not
// matched, input 0 used".
Failure LoadRouterInputs(const QString &programDir, RouterConfig &config);
// Rebuilds inputIndex from RouterInputTable; LoadRouterInputs calls it.
void IndexRouterInputs(RouterConfig &config);
// The lowest entry whose name equals name without regard to case (no trimming); 0 when none does.
int16_t FindRouterInput(const RouterConfig &config, const QString &name);
