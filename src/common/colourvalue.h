#pragma once

#include <QColor>
#include <QString>

#include <optional>

// Colour values as the database stores them: 0x00BBGGRR, or 0x80000000 + n for system colour n.
namespace ColourValue {

inline constexpr quint32 kSystemFlag = 0x80000000u;
inline constexpr quint32 kWindow = kSystemFlag + 5;
inline constexpr quint32 kButtonFace = kSystemFlag + 15;
inline constexpr quint32 kInactiveCaptionText = kSystemFlag + 19;
inline constexpr quint32 k3DLight = kSystemFlag + 22;

QColor toColour(quint32 value);
quint32 fromColour(const QColor& colour);
// The signed decimal text stored in MEMO_IDX.backC and Status.02BackColor; nullopt when it is not one.
[[nodiscard]] std::optional<quint32> parse(const QString& text);
QString toText(quint32 value);

} // namespace ColourValue
