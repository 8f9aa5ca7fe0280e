// Runs a fuzz target over its seed corpus (and any files or folders given as arguments), so
// that every build replays the corpus without libFuzzer.
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
int replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                           size_t(bytes.size()));
    // Every prefix as well: cut-off input is the commonest fault on the wire.
    for (qsizetype n = 0; n < bytes.size(); ++n)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(n));
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i)
        inputs << QString::fromLocal8Bit(argv[i]);
    if (inputs.isEmpty())
        inputs << QStringLiteral(ZEPHYR_FUZZ_CORPUS);
    int failures = 0;
    int count = 0;
    for (const QString &input : inputs) {
        if (QFileInfo(input).isDir()) {
            QDirIterator it(input, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                failures += replay(it.next());
                ++count;
            }
        } else {
            failures += replay(input);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return failures || count == 0 ? 1 : 0;
}
