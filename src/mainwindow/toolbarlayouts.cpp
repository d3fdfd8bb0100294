#include "toolbarlayouts.h"

namespace {

constexpr ToolButtonDef kWeb[] = {
    {u"ph1", 200, u"", u"", u""},
    {u"bAdress", 0, u"blue", u"アドレスバー", u"アドレスバー表示"},
    {u"bFavor", 0, u"exclam", u"お気に入り", u"お気に入りに追加"},
    {u"ph2", 400, u"", u"", u""},
    {u"bPrev", 0, u"arw6lt", u"戻る", u""},
    {u"bNext", 0, u"arw6rt", u"進む", u""},
    {u"bHome", 0, u"home", u"ホーム", u""},
    {u"bSearch", 0, u"magni", u"検索", u""},
    {u"bPrint", 0, u"print", u"印刷", u""},
    {u"speak2", 0, u"lip", u"読上げ", u"選択部分を読み上げ"},
};

constexpr ToolButtonDef kEntry[] = {
    {u"ph1", 200, u"", u"", u""},
    {u"clearMEMO", 0, u"clear", u"新規作成", u"記入パネルを空白にします。"},
    {u"sTree", 0, u"exclam", u"分類ツリー", u"分類ツリー編集"},
    {u"ph3", 400, u"", u"", u""},
    {u"cutM", 0, u"cut", u"切取り", u"文字列を切取り、クリップボードにコピー"},
    {u"copyM", 0, u"copy", u"コピー", u"文字列をコピーし、クリップボードにコピー"},
    {u"pastM", 0, u"past", u"貼付け", u"文字列を指定位置に貼付け"},
    {u"undoM", 0, u"left", u"元へ", u"直前の状態へ戻します"},
    {u"drawMEMO", 0, u"clip", u"画像", u"スクラップに画像を添付できます。"},
    {u"underLine", 0, u"red", u"下線", u"選択文字列に下線を引く"},
    {u"speak", 0, u"lip", u"読上げ", u"テキストを音声読み上げ"},
    {u"bColor", 0, u"moon", u"背景色", u"背景色を変更"},
};

constexpr ToolButtonDef kSearch[] = {
    {u"ph1", 300, u"", u"", u""},
    {u"sTree", 0, u"exclam", u"分類ツリー", u"分類ツリー編集"},
    {u"ph2", 400, u"", u"", u""},
    {u"SearchTitleMEMO", 0, u"pic2", u"標題検索", u"標題から検索"},
    {u"SearchDateMEMO", 0, u"pic", u"日付・期間検索", u"日付または期間による検索"},
    {u"SearchKeyMEMO", 0, u"pic3", u"キーワード検索", u"キーワードから検索"},
    {u"pDownMEMO", 0, u"check", u"重要度絞り込み", u"検索結果を重要度で絞込み"},
    {u"excelvt", 0, u"excel", u"Excelへ", u"Excelへ一覧表を出力"},
    {u"firstDataMEMO", 0, u"each", u"各個表示", u"任意行クリックで、その行から表示することも出来ます。"},
};

constexpr ToolButtonDef kRecord[] = {
    {u"ph1", 200, u"", u"", u""},
    {u"Back2Search", 0, u"arrow", u"戻る", u"検索モードへ戻る"},
    {u"prevMEMO", 0, u"arw6lt", u"戻る", u"前のスクラップを表示"},
    {u"nextMEMO", 0, u"arw6rt", u"次へ", u"次のスクラップを表示"},
    {u"ph2", 200, u"", u"", u""},
    {u"cutM", 0, u"cut", u"切取り", u"文字列を切取り、クリップボードにコピー"},
    {u"copyM", 0, u"copy", u"コピー", u"文字列をコピーし、クリップボードにコピー"},
    {u"pastM", 0, u"past", u"貼付け", u"文字列を指定位置に貼付け"},
    {u"undoM", 0, u"left", u"元へ戻す", u"直前の状態へ戻します"},
    {u"RecEditMEMO", 0, u"record2", u"登録", u"スクラップ編集後このボタンで登録してください。"},
    {u"ph3", 200, u"", u"", u""},
    {u"speakRT", 0, u"lip", u"読み上げ", u"読み上げ"},
    {u"drawMEMO2", 0, u"clip", u"画像", u"添付画像表示・追加・削除"},
    {u"underLineInd", 0, u"red", u"下線", u"選択文字列に下線を引く"},
    {u"strSerch", 0, u"magni", u"全文検索", u"文字列検索"},
    {u"delMEMO", 0, u"del", u"登録抹消", u"表示中のスクラップを抹消します。"},
    {u"rtColor", 0, u"moon", u"背景色", u"背景色を変更"},
};

} // namespace

std::span<const ToolButtonDef> toolbarButtons(ToolbarLayout layout)
{
    switch (layout) {
    case ToolbarLayout::Web:
        return kWeb;
    case ToolbarLayout::Entry:
        return kEntry;
    case ToolbarLayout::Search:
        return kSearch;
    case ToolbarLayout::Record:
        return kRecord;
    }
    return {};
}
