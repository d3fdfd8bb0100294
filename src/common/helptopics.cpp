#include "helptopics.h"

#include <array>

namespace HelpTopic {
namespace {

struct Page {
    int topic;
    const char* page;
};

// Windows that belong together share a page, so that one reading covers what the user sees side by side.
constexpr Page kPages[] = {
    {kMainWindow, "index.html"},       {kWebAndEntry, "mainwindow.html"},    {kFavouritesEditor, "mainwindow.html"},
    {kSearch, "search.html"},          {kTitleSearch, "search.html"},        {kDateSearch, "search.html"},
    {kKeywordSearch, "search.html"},   {kDeleteAll, "search.html"},          {kImportanceLevels, "settings.html"},
    {kMarkerColours, "settings.html"}, {kReadingAloud, "settings.html"},     {kFullTextSearch, "record.html"},
    {kRecordView, "record.html"},      {kClassTreeEditor, "classtree.html"}, {kRegistration, "registration.html"},
    {kPictures, "pictures.html"},      {kImport, "collections.html"},        {kBackups, "collections.html"},
    {kSavedEdition, "export.html"},    {kSupport, "support.html"},           {kVersion, "support.html"},
};

constexpr auto kTopics = [] {
    std::array<int, std::size(kPages)> topics{};
    for (std::size_t i = 0; i < topics.size(); ++i)
        topics[i] = kPages[i].topic;
    return topics;
}();

} // namespace

std::span<const int> all()
{
    return kTopics;
}

QUrl url(int topic)
{
    for (const Page& p : kPages) {
        if (p.topic == topic)
            return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(p.page) + QStringLiteral("#topic") +
                        QString::number(topic));
    }
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

} // namespace HelpTopic
