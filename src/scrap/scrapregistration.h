#pragma once

#include "database/recordstore.h"
#include "pictures/picturestore.h"

#include <optional>

class Session;

enum class RegistrationOutcome {
    Registered,
    NoDatabase,       // no collection is open
    CounterMissing,   // the counter row is gone: the file is broken
    NumbersExhausted, // a counter stands at 32767
    CannotOpen,       // the index table cannot be opened for appending
    WriteFailed,      // a row was refused; nothing was stored
};

struct Registration {
    RegistrationOutcome outcome = RegistrationOutcome::NoDatabase;
    ScrapIdentity scrap; // the new scrap when registered
};

// Stores a new scrap: its numbers, its index row appended through the session's shared result set (which is
// replaced by one holding just that row) and its body row, all in one transaction, so a refusal stores
// nothing and uses up no number. index.docNo, pfID and skID are set here; a waiting picture takes a picture set
// number and is stored with the scrap, in the same transaction.
[[nodiscard]] Registration registerScrap(Session& session, ScrapIndex index, const QString& body,
                                         const std::optional<WaitingPicture>& picture);
