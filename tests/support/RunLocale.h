// Which locale the suite runs under: on Windows ctest runs the *Locale.* tests again with LC_ALL set.
#pragma once

#include <string>

// The value of LC_ALL that Wine was started with, empty when none.
std::string RunLocale();

// The language code that run stands for: "ja" for ja_JP.UTF-8, likewise "fr", "es", "de" and "it";
// "en" for every other locale.
std::string RunLanguage();
