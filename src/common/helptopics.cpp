#include "helptopics.h"

namespace HelpTopic {

QUrl url(int topic)
{
    struct Page {
        int topic;
        const char* page;
    };
    static constexpr Page kPages[] = {
        {kMainWindow, "index.html"},      {kWebAndEntry, "mainwindow.html"}, {kSearch, "mainwindow.html"},
        {kRecordView, "mainwindow.html"}, {kSupport, "support.html"},        {kTitleSearch, "search.html"},
        {kDateSearch, "search.html"},     {kKeywordSearch, "search.html"},   {kPictures, "mainwindow.html"},
    };
    for (const Page& p : kPages) {
        if (p.topic == topic)
            return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(p.page) + QStringLiteral("#topic") +
                        QString::number(topic));
    }
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

} // namespace HelpTopic
