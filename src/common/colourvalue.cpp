#include "colourvalue.h"

namespace ColourValue {
namespace {

struct SystemColour {
    int index;
    QRgb rgb;
};

// The system colours the program uses, fixed so that the display does not depend on the desktop theme.
constexpr SystemColour kSystemColours[] = {
    {5, qRgb(0xFF, 0xFF, 0xFF)},  // window
    {8, qRgb(0x00, 0x00, 0x00)},  // window text
    {12, qRgb(0xAB, 0xAB, 0xAB)}, // application workspace
    {15, qRgb(0xF0, 0xF0, 0xF0)}, // button face
    {18, qRgb(0x00, 0x00, 0x00)}, // button text
    {19, qRgb(0xD4, 0xD0, 0xC8)}, // inactive caption text
    {22, qRgb(0xE3, 0xE3, 0xE3)}, // 3D light
};

} // namespace

QColor toColour(quint32 value)
{
    if (value & kSystemFlag) {
        const int index = int(value & 0xFF);
        for (const SystemColour& c : kSystemColours) {
            if (c.index == index)
                return QColor(c.rgb);
        }
        return QColor(Qt::white);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 fromColour(const QColor& colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

std::optional<quint32> parse(const QString& text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (!ok || number < -2147483648LL || number > 0xFFFFFFFFLL)
        return std::nullopt;
    const auto value = quint32(number);
    if (!(value & kSystemFlag) && value > 0xFFFFFF)
        return std::nullopt;
    return value;
}

QString toText(quint32 value)
{
    return QString::number(qint32(value));
}

} // namespace ColourValue
