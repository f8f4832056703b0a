#include "platform/key_letters.h"

namespace vk7 {

namespace {

// The Latin letter on the key of each Cyrillic letter А..Я (U+0410..U+042F), 0 where the
// key carries punctuation on the Latin layout.
constexpr char kLatinOfCyrillic[32] = {
    'F',  // А
    0,    // Б  (,)
    'D',  // В
    'U',  // Г
    'L',  // Д
    'T',  // Е
    0,    // Ж  (;)
    'P',  // З
    'B',  // И
    'Q',  // Й
    'R',  // К
    'K',  // Л
    'V',  // М
    'Y',  // Н
    'J',  // О
    'G',  // П
    'H',  // Р
    'C',  // С
    'N',  // Т
    'E',  // У
    'A',  // Ф
    0,    // Х  ([)
    'W',  // Ц
    'X',  // Ч
    'I',  // Ш
    'O',  // Щ
    0,    // Ъ  (])
    'S',  // Ы
    'M',  // Ь
    0,    // Э  (')
    0,    // Ю  (.)
    'Z',  // Я
};

}  // namespace

char latinKeyLetter(char32_t c) {
    if (c >= U'A' && c <= U'Z') return static_cast<char>(c);
    if (c >= U'a' && c <= U'z') return static_cast<char>(c - U'a' + U'A');
    if (c >= U'\u0410' && c <= U'\u042F') return kLatinOfCyrillic[c - U'\u0410'];
    if (c >= U'\u0430' && c <= U'\u044F') return kLatinOfCyrillic[c - U'\u0430'];
    return 0;
}

}  // namespace vk7
