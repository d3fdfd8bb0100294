#pragma once

// Maps the Windows font names a collection may store ("ＭＳ Ｐゴシック", ...) to installed Japanese fonts.
void installFontSubstitutes();
