// RT-IN1.LST reader on any file content: no crash or hang, the table keeps its shape, and every stored name
// is found at or before its own entry.
#include "config/RouterConfig.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    WriteFuzzFile(QStringLiteral("RT-IN1.LST"), reinterpret_cast<const char *>(data), qsizetype(size));
    RouterConfig config;
    (void)LoadRouterInputs(FuzzDir(), config);

    FuzzCheck(config.RouterInputTable.size() == size_t(RouterInputCount + 1), "the table keeps 1281 entries");
    const RouterInputEntry &empty = config.RouterInputTable[0];
    FuzzCheck(empty.Name.isEmpty() && empty.TextA.isEmpty() && empty.TextB.isEmpty() && !empty.Flag &&
                  empty.Number == 0 && empty.Level == std::array<bool, 9>{},
              "entry 0 stays empty");
    for (int entry = 1; entry <= RouterInputCount; ++entry) {
        const QString &name = config.RouterInputTable[size_t(entry)].Name;
        if (name.isEmpty()) {
            continue;
        }
        const int16_t found = FindRouterInput(config, name);
        FuzzCheck(found >= 1 && found <= entry, "a stored name is found at or before its entry");
        FuzzCheck(config.RouterInputTable[size_t(found)].Name.toUpper() == name.toUpper(),
                  "the entry found carries the name");
    }
    return 0;
}
