// Runs a fuzz target's entry point once on each file of the folders or files given, without libFuzzer: a saved
// corpus then takes part in every test run, also where the compiler has no fuzzer.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char *argv[])
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString given = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(given).isDir()) {
            files.append(given);
            continue;
        }
        const QDir dir(given);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
    }
    for (const QString &path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%lld inputs, no finding\n", static_cast<long long>(files.size()));
    return files.isEmpty() ? 1 : 0;
}
