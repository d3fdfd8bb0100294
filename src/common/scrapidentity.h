#pragma once

#include <QtGlobal>

// Who a scrap is: its index row and its numbers. Commands act on the scrap on screen by these, never on whatever
// record of a result set happens to be current.
struct ScrapIdentity {
    qint64 rowid = 0; // of its MEMO_IDX row
    qint64 docNo = 0;
    qint64 pfID = 0;
    qint64 skID = 0;
};
