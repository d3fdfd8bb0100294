#pragma once

#include <QString>

class QPlainTextEdit;

// The text of a plain text box as it stands: no-break spaces and line separators kept, where toPlainText() makes
// them spaces and line feeds; a line break between paragraphs is a line feed.
QString typedText(const QPlainTextEdit* box);
