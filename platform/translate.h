// The translation seam for the texts that plain C++ code (the engine, the
// platform layer, the installer's texts) shows to the user. Those layers know
// no Qt; the window programs install a hook that looks the texts up in the
// user's language, and dorvik-cli installs none, so it stays English.
//
// How to make a text translatable:
//   1. Where the text is shown as it is made, write
//      DORVIK_TEXT("Context", "text"): it marks the English text for the
//      catalog and looks it up at once (a std::string). Context groups the
//      texts of one place ("Join", "Split", ...). Context and text must be
//      literals (the macro does not compile otherwise): the pair is the key
//      of the catalog.
//   2. Where the text is kept and looked up later, mark it with
//      DORVIK_TR("Context", "text"), which expands to the text itself, and
//      look it up when it is shown: translated("Context", DORVIK_TR(...)),
//      with the same literals. (The function is not called "translate":
//      lupdate takes every call of that name for Qt's own and would pass
//      over the marker inside it.)
//   3. Never build a path, a name or a number into the text: write %1, %2,
//      ... (up to %9) and fill them afterwards with fill(), so that the
//      catalog holds one entry per message and a path is never translated.
//      A sentence is one text, never pieces joined in code.
//   The build runs lupdate with `-tr-function-alias` naming both markers, so
//   each marked text lands in translations/dorvik_de.ts under its context.
//   Example, the join's success message:
//     fill(DORVIK_TEXT("Join", "%1\n is successfully joined!"), {rebuilt})
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// The marker lupdate extracts; expands to the English text.
#define DORVIK_TR(context, text) text

// The same marker, looked up at once: translated(context, text). The empty
// literals refuse anything but literals.
#define DORVIK_TEXT(context, text) ::dorvik::platform::translated("" context, "" text)

namespace dorvik::platform {

// Looks up `text` of `context` in the user's language (UTF-8 in and out).
using TranslateHook = std::function<std::string(const char *context, const char *text)>;

// Installs the hook that translated() asks; an empty hook removes it. Set
// once at start, before any other thread runs.
void setTranslateHook(TranslateHook hook);

// `text` in the user's language: the hook's answer, or `text` unchanged
// when no hook is installed or the hook answers with an empty text.
std::string translated(const char *context, const char *text);

// `text` with %1 to %9 replaced by the values, in one pass: a value that
// itself holds "%2" stays as it is. A placeholder without a value, and any
// other '%', are kept.
std::string fill(std::string_view text, std::initializer_list<std::string_view> values);

} // namespace dorvik::platform
