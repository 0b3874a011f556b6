#pragma once
// Texts that name a number of things: the form for exactly one where the
// language file has it ("1 ride"), else the form for many ("%d rides").

#include "language/Language.h"

#include <QString>

// one when count is 1 and the file holds it (an older or a rider's own file
// may not), else many.
QString GetCountedLanguageString(const LanguageKey& many, const LanguageKey& one, int count);
