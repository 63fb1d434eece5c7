// Which locale the suite runs under: on Windows ctest runs the *Locale.* tests again with LC_ALL set.
#include "support/RunLocale.h"

#include <cstdlib>

std::string RunLocale() {
    const char *value = std::getenv("LC_ALL");
    return value ? value : "";
}

std::string RunLanguage() {
    std::string locale = RunLocale();
    std::string language = locale.substr(0, locale.find('_'));
    for (const char *known : {"fr", "es", "de", "it", "ja"})
        if (language == known)
            return language;
    return "en";
}
