#pragma once

#include <QString>

// The page the web pane shows, as the favourites editor needs it to add a favourite.
class WebPageSource {
public:
    virtual ~WebPageSource() = default;

    virtual QString currentUrl() const = 0;
    virtual QString currentTitle() const = 0;
};
