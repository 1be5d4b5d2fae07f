// The programs' texts in the user's language: Qt's own catalog (the texts of
// its standard buttons and dialogs) and the programs' catalog, which the
// build embeds in the program, so a copied program file keeps it.
#pragma once

#include <QLocale>
#include <QString>

namespace dorvik::widgets {

// Where the programs' catalog lives: ":/i18n/dorvik_<language>.qm".
inline constexpr const char *kCatalogDirectory = ":/i18n";

// Whether the user's messages locale (LC_ALL, LC_MESSAGES or LANG, as the C
// library has set it) asks for English only: "C" and "POSIX" do.
bool untranslatedLocale();

// Loads both catalogs for `locale` into the running application and routes
// platform::translated() to them. The English source texts stay where a
// catalog lacks a text, or where `locale` has none (English itself). Returns
// whether the programs' catalog was found. Call once, after the application
// object exists and before any window is made.
bool loadTranslations(const QLocale &locale);

// loadTranslations(QLocale()) unless untranslatedLocale().
void loadUserTranslations();

} // namespace dorvik::widgets
