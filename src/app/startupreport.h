#pragma once

class QWidget;

// With ZETTORA_STARTUP_REPORT set, the program writes "painted" on standard output once window has painted its
// first frame, so that a benchmark can time start-up from outside the process.
void reportFirstPaint(QWidget& window);
