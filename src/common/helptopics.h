#pragma once

#include <QUrl>

#include <span>

// Help topic numbers of the windows; each one is an anchor in the help pages.
namespace HelpTopic {

inline constexpr int kMainWindow = 1;
inline constexpr int kWebAndEntry = 4;
inline constexpr int kFavouritesEditor = 7;
inline constexpr int kSearch = 9;
inline constexpr int kTitleSearch = 10;
inline constexpr int kDateSearch = 11;
inline constexpr int kKeywordSearch = 12;
inline constexpr int kImportanceLevels = 13;
inline constexpr int kFullTextSearch = 16;
inline constexpr int kClassTreeEditor = 18;
inline constexpr int kSupport = 28;
inline constexpr int kRegistration = 29;
inline constexpr int kPictures = 30;
inline constexpr int kReadingAloud = 32;
inline constexpr int kRecordView = 34;
inline constexpr int kDeleteAll = 35;
inline constexpr int kMarkerColours = 10065;
// Windows of our own, numbered after the others.
inline constexpr int kImport = 40;
inline constexpr int kBackups = 41;
inline constexpr int kVersion = 42;
inline constexpr int kSavedEdition = 43;

// Every topic a window of the program opens; each has its page.
std::span<const int> all();

// The page and anchor that explain a topic; unknown topics open the first page.
QUrl url(int topic);

} // namespace HelpTopic
