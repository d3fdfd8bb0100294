#pragma once

#include "common/session.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/resultset.h"
#include "fakeuserdialogs.h"
#include "testcollection.h"

#include <QList>
#include <QTest>

using DocNos = QList<int>;

// One collection for every search test, only ever read: each scrap's DocNo names it, and its LevNo puts it in
// another place than its DocNo. searched() opens a source as the shared result set, as the main window does.
struct SearchFixture {
    TestFolder folder;
    Session session;
    FakeUserDialogs dialogs;
    int searches = 0;

    static SearchFixture& shared()
    {
        static SearchFixture fixture;
        fixture.session.closeResults();
        fixture.dialogs.clear();
        fixture.searches = 0;
        return fixture;
    }

    void searched(const ResultSource& source)
    {
        ++searches;
        QVERIFY(session.openResults(source));
    }
    DocNos listed() const
    {
        DocNos docNos;
        const ResultSet* set = session.resultSet();
        for (int row = 0; set && row < set->recordCount(); ++row)
            docNos << set->valueAt(row, set->fieldIndex(u"DocNo"_qs)).toInt();
        return docNos;
    }

private:
    SearchFixture()
    {
        const QString path = folder.newCollection();
        session.adoptDatabase(Connection::openExisting(path), path, u"Zettora"_qs, DatabaseKind::Scrap);
        const struct {
            int docNo, levNo;
            const char16_t *level, *title, *keyword, *date;
        } rows[] = {
            {1, 3, u"重要", u"abc", u" 選挙、予算", u"2024-03-01"},
            {2, 1, u"普通", u"xabcx", u"予算、選挙", u"2024-01-15"},
            {3, 2, u"重要", u"abcdef", u"金利", u"2024-01-15"},
            {4, 1, u"普通", u"ABC", u"", u"2023-12-31"},
            {5, 1, u"普通", u"ＡＢＣ", u"", u"2024-02-29"},
            {6, 1, u"普通", u"ａｂｃ", u"", u"2024-01-15"},
            {7, 1, u"普通", u"", u"為替\t", u"2024-05-05"},
            {8, 1, u"普通", u"a_c", u"", u"2025-01-01"},
            {9, 1, u"進行中", u"O'Brien の\"提言\"", u"it's", u"2024-01-14"},
            {10, 1, u"普通", u"100%達成", u"", u"2024-01-16"},
            {11, 1, u"普通", u"　字下げ", u"", u"2024-01-15"},
            {12, 1, u"普通", u"\tabc ", u"", u"2024-06-30"},
            {14, 2, u"普通", u"ÄRZTE会議", u"", u"2026-01-01"},
        };
        for (const auto& r : rows) {
            TestScrap scrap;
            scrap.level = QString::fromUtf16(r.level);
            scrap.title = QString::fromUtf16(r.title);
            scrap.keyword = QString::fromUtf16(r.keyword);
            scrap.date = QString::fromUtf16(r.date);
            scrap.levNo = r.levNo;
            scrap.docNo = r.docNo;
            addScrap(*session.connection(), scrap);
        }
        session.connection()->execute(
            u"INSERT INTO MEMO_IDX (a01, a02, a03, LevNo, DocNo) VALUES ('普通', '日付なし', NULL, 1, 13)"_qs);
    }
};
