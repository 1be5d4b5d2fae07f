#include "platform/widgets/translations.h"

#include "platform/translate.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <cstring>

namespace dorvik::widgets {

bool untranslatedLocale() {
    const char *messages = std::setlocale(LC_MESSAGES, nullptr);
    return !messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0;
}

bool loadTranslations(const QLocale &locale) {
    // Owned by the application, which outlives every window.
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto *own = new QTranslator(QCoreApplication::instance());
    const bool found = own->load(locale, QStringLiteral("dorvik"), QStringLiteral("_"),
                                 QString::fromLatin1(kCatalogDirectory));
    if (found)
        QCoreApplication::installTranslator(own);
    platform::setTranslateHook([](const char *context, const char *text) {
        return QCoreApplication::translate(context, text).toStdString();
    });
    return found;
}

void loadUserTranslations() {
    if (!untranslatedLocale())
        loadTranslations(QLocale());
}

} // namespace dorvik::widgets
