#pragma once

class QLineEdit;

// Limits a line edit to that many characters as a column counts them (an emoji, a rare kanji: one), where
// QLineEdit::setMaxLength counts UTF-16 units and may cut a character in half. What goes over is cut from the end
// of what was just typed or pasted, as setMaxLength cuts it.
void limitToCharacters(QLineEdit* edit, int characters);
