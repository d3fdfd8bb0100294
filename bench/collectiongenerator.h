#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

struct GeneratorOptions {
    int scraps = 32767; // 0 to 32767: scrap numbers are 16-bit
    quint32 seed = 20240601;
    // Told now and then how many scraps are written; the last call has done == total.
    std::function<void(int done, int total)> progress;
};

// Makes a new collection at path with the program's own creation code and fills it, in one transaction, with a
// three-level class tree, scraps with bodies and marks, and pictures for one scrap in ten. The same options always
// give the same collection. Needs a QGuiApplication (pictures are encoded as JPEG). Throws DbError, or
// std::runtime_error when the options are out of range or no JPEG encoder is available.
// image as JPEG bytes; throws std::runtime_error when no encoder is available.
QByteArray encodeJpeg(const QImage& image, int quality);

void generateCollection(const QString& path, const GeneratorOptions& options = {});
