// The letter keys of the keyboard as the main windows' single-letter commands see them: a
// Latin letter in either case, or the Cyrillic letter on the same key of the Russian layout.
#pragma once

namespace vk7 {

// The upper-case Latin letter 'A'..'Z' of the key that types `typed`: the Latin letter
// itself in either case, or for a Cyrillic letter in either case the Latin letter on the
// same key of the Russian (ЙЦУКЕН) layout ('Е' and 'е' give 'T', 'Ь' gives 'M'). 0 for
// anything else, also for the Cyrillic letters whose key carries no Latin letter
// (Х, Ъ, Ж, Э, Б, Ю, Ё).
char latinKeyLetter(char32_t typed);

}  // namespace vk7
