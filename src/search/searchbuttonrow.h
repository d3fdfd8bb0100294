#pragma once

#include <functional>

class QDialog;
class QHBoxLayout;
class QLabel;

// The row under a search dialog's fields: the F1 hint, "検索" (the default button) and "キャンセル".
QHBoxLayout* searchButtonRow(QDialog* dialog, QLabel* help, const std::function<void()>& search);
