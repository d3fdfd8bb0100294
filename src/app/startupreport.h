#pragma once

class QWidget;
class WebPane;

// With ZETTORA_STARTUP_REPORT set, the program writes "painted" on standard output once window has painted its
// first frame, and "page" once web has shown its first page, so that a benchmark can time start-up and weigh the
// process from outside.
void reportStartup(QWidget& window, WebPane& web);
