// Converting the old Access sample collection into ours, against copying the same file's bytes.
#include "benchops.h"
#include "legacyimport/legacyimport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <stdexcept>

namespace {

constexpr int kConversions = 5;

QString legacySample()
{
    return QStringLiteral(ZETTORA_LEGACY_SAMPLES "/collection-small.mdb");
}

// Times each of kConversions writes of the sample into a new file of its own, so that none finds its target there.
std::vector<double> timeEach(const QString& prefix, const std::function<void(const QString& target)>& write)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kConversions; ++i) {
        const QString target = folder.filePath(prefix + QString::number(i) + QStringLiteral(".mdb"));
        timer.start();
        write(target);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

std::vector<double> convertSample(BenchContext&)
{
    return timeEach(QStringLiteral("import"), [](const QString& target) {
        try {
            LegacyImport::convert(legacySample(), target);
        } catch (const LegacyImport::ImportError& e) {
            throw std::runtime_error("import: " + e.message().toStdString());
        }
    });
}

// The bytes of the same file copied: the least any conversion into a new file costs.
std::vector<double> copySample(BenchContext&)
{
    return timeEach(QStringLiteral("copy"), [](const QString& target) {
        QFile source(legacySample());
        QFile copy(target);
        if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) ||
            copy.write(source.readAll()) != source.size())
            throw std::runtime_error("cannot copy the sample collection");
    });
}

} // namespace

void registerImportOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("import"), convertSample, copySample));
}
