#include "lang/language.h"

#include "platform/locale.h"

namespace varcel {

Language systemLanguage()
{
    return languageFromIndex(systemLanguageIndex());
}

} // namespace varcel
