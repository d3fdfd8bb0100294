#pragma once

#include <array>

// A speech character: the name stored and shown, the name it is loaded under, and how its voice differs from the
// others (an espeak-ng variant, a base pitch and a pitch range, 0 to 100).
struct SpeechCharacter {
    const char16_t* name;
    const char16_t* loadName;
    const char* variant;
    int pitch;
    int range;
};

// In the order of the settings window's options.
inline constexpr std::array<SpeechCharacter, 4> kSpeechCharacters{{
    {u"Genie", u"Genie", "m3", 38, 60},
    {u"Marlin", u"Merlin", "croak", 25, 35},
    {u"Peedy", u"Peedy", "f2", 85, 95},
    {u"Robby", u"Robby", "klatt", 50, 0},
}};

// A speech language: the option's caption, its language code, and the espeak-ng voice that speaks it.
struct SpeechLanguage {
    const char16_t* caption;
    int code;
    const char* voice;
};

// Indexed by the number stored in Speak.LanguageID.
inline constexpr std::array<SpeechLanguage, 11> kSpeechLanguages{{
    {u"American English", 1033, "en-us"},
    {u"British English", 2057, "en"},
    {u"Dutch", 1043, "nl"},
    {u"French", 1036, "fr"},
    {u"German", 1031, "de"},
    {u"Italian", 1040, "it"},
    {u"Japanese", 1041, "ja"},
    {u"Korean", 1042, "ko"},
    {u"Portguese(Brazil)", 1046, "pt-br"},
    {u"Russian", 1049, "ru"},
    {u"Spanish", 3082, "es"},
}};
