#pragma once

#include <array>

// The twelve listed index fields: the list's header captions and the rows of the record-view sheet.
struct FieldCaption {
    const char16_t* flag; // "*" for the fields the sheet marks as internal
    const char16_t* caption;
    const char16_t* field;
};

inline constexpr std::array<FieldCaption, 12> kFieldCaptions{{
    {u"", u"重要度", u"a01"},
    {u"", u"標題", u"a02"},
    {u"", u"作成年月日", u"a03"},
    {u"", u"大分類", u"a04"},
    {u"", u"中分類", u"a05"},
    {u"", u"小分類", u"a06"},
    {u"", u"キーワード", u"a07"},
    {u"*", u"添付画像", u"skID"},
    {u"*", u"pfID", u"pfID"},
    {u"*", u"backC", u"backC"},
    {u"*", u"LevNo", u"LevNo"},
    {u"*", u"DocNo", u"DocNo"},
}};

// Field indexes within a MEMO_IDX row, in column order.
namespace Field {
inline constexpr int a01 = 0, a02 = 1, a03 = 2, a04 = 3, a05 = 4, a06 = 5, a07 = 6;
inline constexpr int skID = 7, pfID = 8, backC = 9, LevNo = 10, DocNo = 11;
} // namespace Field
