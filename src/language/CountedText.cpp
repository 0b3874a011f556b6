#include "language/CountedText.h"

QString GetCountedLanguageString(const LanguageKey& many, const LanguageKey& one, int count) {
    if (count == 1) {
        const QString text = GetLanguageString(one);
        // What the table answers for a key it does not hold.
        if (text != QLatin1String("<NULL>")) {
            return text;
        }
    }
    return GetLanguageString(many);
}
