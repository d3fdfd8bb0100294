#pragma once

#include "common/result.h"
#include "database/recordstore.h"
#include "database/scrapsources.h"
#include "pictures/picturestore.h"

#include <optional>

class Session;

// Stores a new scrap: its numbers, its index row appended through the session's shared result set (which is
// replaced by one holding just that row) and its body row, all in one transaction, so a refusal stores
// nothing and uses up no number. index.docNo, pfID and skID are set here; a waiting picture takes a picture set
// number and is stored with the scrap, in the same transaction; so is the page it was clipped from. Gives the new
// scrap.
[[nodiscard]] Result<ScrapIdentity> registerScrap(Session& session, ScrapIndex index, const QString& body,
                                                  const std::optional<WaitingPicture>& picture,
                                                  const std::optional<ScrapSource>& source = std::nullopt);
