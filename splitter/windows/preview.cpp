#include "splitter/windows/preview.h"

#include <QCoreApplication>

#include <cmath>

namespace dorvik::splitter {

namespace {

// Thousandths of `value`, rounded half away from zero.
std::int64_t thousandths(double value) {
    return std::llround(value * 1000.0);
}

QString formatThousandths(std::int64_t milli, const QString &decimalPoint) {
    const bool negative = milli < 0;
    if (negative)
        milli = -milli;
    const std::int64_t whole = milli / 1000;
    QString decimals = QString::number(milli % 1000).rightJustified(3, QLatin1Char('0'));
    while (decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    QString text = negative ? QStringLiteral("-") : QString();
    if (whole != 0)
        text += QString::number(whole);
    return text + decimalPoint + decimals;
}

} // namespace

QString formatNumber(double value, const QString &decimalPoint) {
    return formatThousandths(thousandths(value), decimalPoint);
}

QString sizeText(double bytes, const QString &decimalPoint) {
    // The Kbyte value as shown, in thousandths: every decision below is
    // taken on this rounded value.
    const std::int64_t kiloMilli = std::llround(bytes);
    if (kiloMilli < 1000)
        return QCoreApplication::translate("Preview", "%1 Bytes").arg(kiloMilli);
    if (kiloMilli < 1000 * 1000)
        return QCoreApplication::translate("Preview", "%1 Kbytes")
            .arg(formatThousandths(kiloMilli, decimalPoint));
    // The Mbytes, again rounded to three decimals (half away from zero).
    const std::int64_t megaMilli = (kiloMilli + 500) / 1000;
    return QCoreApplication::translate("Preview", "%1 Mbytes")
        .arg(formatThousandths(megaMilli, decimalPoint));
}

QString previewSentence(const QString &path, std::int64_t length, int pieces, PieceSize pieceSize,
                        const QString &decimalPoint) {
    const QString count = QString::number(pieces);
    double piece = 0;
    if (pieces > 0)
        piece = pieceSize == PieceSize::Exact
                    ? static_cast<double>(length) / pieces
                    : static_cast<double>(length / static_cast<std::int64_t>(pieces));
    // One pass over the placeholders: a path that holds "%2" stays as it is.
    return QCoreApplication::translate(
               "Preview",
               "Size of %1\nis %2. Splitting it into %3 pieces will give you %3 files with %4\n\n"
               "If this is OK, Press the SPLIT button, otherwise press the QUIT button.")
        .arg(path, sizeText(static_cast<double>(length), decimalPoint), count,
             sizeText(piece, decimalPoint));
}

QString unmeasurableSentence(const QString &path, const QString &reason) {
    return QCoreApplication::translate("Preview", "Size of %1\ncannot be measured:\n%2")
        .arg(path, reason);
}

} // namespace dorvik::splitter
