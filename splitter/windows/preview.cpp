#include "splitter/windows/preview.h"

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
        return QString::number(kiloMilli) + QStringLiteral(" Bytes");
    if (kiloMilli < 1000 * 1000)
        return formatThousandths(kiloMilli, decimalPoint) + QStringLiteral(" Kbytes");
    // The Mbytes, again rounded to three decimals (half away from zero).
    const std::int64_t megaMilli = (kiloMilli + 500) / 1000;
    return formatThousandths(megaMilli, decimalPoint) + QStringLiteral(" Mbytes");
}

QString previewSentence(const QString &path, std::int64_t length, int pieces, PieceSize pieceSize,
                        const QString &decimalPoint) {
    const QString count = QString::number(pieces);
    double piece = 0;
    if (pieces > 0)
        piece = pieceSize == PieceSize::Exact
                    ? static_cast<double>(length) / pieces
                    : static_cast<double>(length / static_cast<std::int64_t>(pieces));
    return QStringLiteral("Size of ") + path + QLatin1Char('\n') + QStringLiteral("is ") +
           sizeText(static_cast<double>(length), decimalPoint) +
           QStringLiteral(". Splitting it into ") + count +
           QStringLiteral(" pieces will give you ") + count + QStringLiteral(" files with ") +
           sizeText(piece, decimalPoint) + QStringLiteral("\n\n") +
           QStringLiteral("If this is OK, Press the SPLIT button, ") +
           QStringLiteral("otherwise press the QUIT button.");
}

QString unmeasurableSentence(const QString &path, const QString &reason) {
    return QStringLiteral("Size of ") + path + QStringLiteral("\ncannot be measured:\n") + reason;
}

} // namespace dorvik::splitter
