// Converting the old Access sample collection into ours, against copying the same file's bytes.
#include "benchops.h"
#include "legacyimport/legacyimport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

constexpr int kConversions = 5;

QString legacySample()
{
    return QStringLiteral(ZETTORA_LEGACY_SAMPLES "/collection-small.mdb");
}

// Each conversion into a new file of its own, so that none finds its target already there.
std::vector<double> convertSample(BenchContext&)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kConversions; ++i) {
        const QString target = folder.filePath(QStringLiteral("import%1.mdb").arg(i));
        timer.start();
        try {
            LegacyImport::convert(legacySample(), target);
        } catch (const LegacyImport::ImportError& e) {
            throw std::runtime_error("import: " + e.message().toStdString());
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

std::vector<double> copySample(BenchContext&)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kConversions; ++i) {
        timer.start();
        QFile source(legacySample());
        QFile copy(folder.filePath(QStringLiteral("copy%1.mdb").arg(i)));
        if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) ||
            copy.write(source.readAll()) != source.size())
            throw std::runtime_error("cannot copy the sample collection");
        copy.close();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

} // namespace

void registerImportOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("import"), convertSample, copySample));
}
