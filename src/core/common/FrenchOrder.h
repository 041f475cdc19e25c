// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tolvane::french {

// The order of a French dictionary's word list on Windows-1252 text, in
// four levels, each deciding only where the ones before it tie:
//   1. the letters without accents or case, digits before letters, blanks
//      and punctuation before digits; the ligatures œ æ ß þ count as the two
//      letters they join ("œuvre" is "oeuvre");
//   2. the accents, from the start of the word: none, acute, grave,
//      circumflex, diaeresis, then the rest ("pèche" < "pêche");
//   3. the case: lower before upper ("été" < "Été");
//   4. the bytes themselves, so that only equal texts compare equal.
// "est" < "été" < "étude" < "Europe" < "œuvre" < "zèbre".

// A byte string whose plain byte order is the order above.
std::string sortKey(std::string_view text);
// The first level alone: two texts with the same letters whatever their
// accents and case have the same primary key, and a text that starts with
// another's letters has a primary key that starts with the other's.
std::string primaryKey(std::string_view text);
// Negative, zero or positive as a comes before, with or after b.
int compare(std::string_view a, std::string_view b);
inline bool less(std::string_view a, std::string_view b) {
    return compare(a, b) < 0;
}

} // namespace tolvane::french
