#pragma once

// Which language Kesmarin speaks. Its own texts are Chinese (with the English
// words the original mixes in); every other language gets the English
// translation, built from kesmarin_en.ts into the resource :/i18n.

#include <QString>
#include <QStringList>

class QTranslator;

namespace Language {

// "" for the program's own texts, or the name of a translation ("en").
// `uiLanguages` is the user's list of languages, most wanted first, as
// QLocale::uiLanguages() gives it; the first one decides.
QString choose(const QStringList &uiLanguages);

// The language the program runs in, set once at start-up; "" until then.
void setCurrent(const QString &language);
QString current();

// Loads the translation of `language` into `translator`; false for the
// program's own language or a translation that is not there.
bool load(QTranslator &translator, const QString &language);

// Qt's own texts (the buttons of message boxes, the file dialog) for a
// session in `language` on a desktop whose languages are `uiLanguages`:
// Chinese ones for a Chinese session, Qt's built-in English otherwise. False
// when there is nothing to load or the translation is not installed.
bool loadQt(QTranslator &translator, const QString &language, const QStringList &uiLanguages);

// Chooses the language for `uiLanguages`, makes it current and installs the
// program's and Qt's translations for it (in place of any installed by an
// earlier call). Returns the language.
QString start(const QStringList &uiLanguages);

// The help page of `language` below the help folder `helpDir`: its own
// index.html, or the language's page in <language>/ when there is one.
QString helpPage(const QString &helpDir, const QString &language);

} // namespace Language
