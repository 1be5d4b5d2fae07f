// The size preview of the main window: the sentence that tells the chosen
// file's size, the piece count and the size of each piece, and its number
// format. Pure functions, no widgets.
#pragma once

#include <QString>

#include <cstdint>

namespace dorvik::splitter {

// "#.###": rounded to three decimals, trailing zeros dropped, no digit before
// the separator below 1, the separator always written, no grouping
// (66.667, .5, 1.5, 3., 1234.568).
QString formatNumber(double value, const QString &decimalPoint);

// A size in bytes in 1000-based units: below 1 Kbyte the whole byte count
// with " Bytes", below 1000 Kbytes the Kbytes, from there the Mbytes
// ("500 Bytes", "66.667 Kbytes", "1.5 Mbytes"). The unit is chosen on the
// Kbyte value rounded to three decimals, so 999999.6 bytes read "1. Mbytes".
QString sizeText(double bytes, const QString &decimalPoint);

// How the piece size is taken from the file length and the piece count.
enum class PieceSize {
    Exact,     // length / count, not rounded (the slider's preview)
    WholeBytes // length / count rounded down to whole bytes (a new file choice)
};

// The four-line preview for `path` of `length` bytes cut into `pieces`.
QString previewSentence(const QString &path, std::int64_t length, int pieces, PieceSize pieceSize,
                        const QString &decimalPoint);

// What the preview shows when the file can no longer be measured.
QString unmeasurableSentence(const QString &path, const QString &reason);

} // namespace dorvik::splitter
