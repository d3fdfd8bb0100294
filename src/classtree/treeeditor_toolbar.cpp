// The tree editor's six toolbars, each button bound to what it does.
#include "common/toolbarbuttons.h"
#include "treeeditor.h"

#include <QToolBar>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kGapWidth = 200;

ToolbarButton gap(const QString& key)
{
    return ToolbarButton::gap(key, kGapWidth);
}

} // namespace

void TreeEditor::setToolbar(std::span<const ToolbarButton> buttons)
{
    std::vector<ToolbarButton> bound(buttons.begin(), buttons.end());
    // A name still being typed is stored first, as leaving the cell would.
    for (ToolbarButton& button : bound) {
        if (button.handler)
            button.handler = [this, run = button.handler] {
                finishEditing(true);
                run();
            };
    }
    fillToolbar(m_toolbar, bound, StatusTips::On);
    layOut();
}

void TreeEditor::MakeToolbar1WEB()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseWEB"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode2WEB"_s, u"ツールバー２"_s, u"hummer"_s, u"お気に入り移動モードへ"_s, [this] { toMoveMode(); }},
        gap(u"ph2"_s),
        {u"AddWEB"_s, u"追加"_s, u"list"_s, u"表示中のページをお気に入りに登録"_s,
         [this] {
             if (AddFavourite())
                 report(storeFavouriteOrder());
         }},
        {u"Alt"_s, u"名前変更"_s, u"blue"_s, {}, [this] { alterSelected(); }},
        {u"DelWEB"_s, u"削除"_s, u"del"_s, {}, [this] { deleteSelected(); }},
    };
    setToolbar(buttons);
}

void TreeEditor::MakeToolbar2WEB()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseWEB"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode1WEB"_s, u"ツールバー１"_s, u"hummer"_s, u"ツールバー１へ戻る"_s, [this] { toEditMode(); }},
        gap(u"ph2"_s),
        {u"moveUP_WEB"_s, u"移動"_s, u"up"_s, {}, [this] { moveNode(true); }},
        {u"moveDN_WEB"_s, u"移動"_s, u"down"_s, {}, [this] { moveNode(false); }},
    };
    setToolbar(buttons);
}

// The only toolbar without "ph2" between the mode button and the first command.
void TreeEditor::MakeToolbar1SCR()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseSCR"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode2SCR"_s, u"ツールバー２"_s, u"hummer"_s, u"分類ツリー移動モードへ"_s, [this] { toMoveMode(); }},
        {u"AddSCR"_s, u"追加"_s, u"CloseFolder"_s, u"選択分類の下に下位分類を追加"_s, [this] { AddClass(); }},
        {u"Alt"_s, u"名前変更"_s, u"blue"_s, u"分類名を変更"_s, [this] { alterSelected(); }},
        {u"Del_SCR"_s, u"削除"_s, u"del"_s, {}, [this] { deleteSelected(); }},
        {u"IntakeHD"_s, u"HDから取込"_s, u"tree"_s, {}, [this] { IntakeFromFolders(); }},
    };
    setToolbar(buttons);
}

void TreeEditor::MakeToolbar2SCR()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseSCR"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode1SCR"_s, u"ツールバー1"_s, u"hummer"_s, u"ツールバー1 表示"_s, [this] { toEditMode(); }},
        gap(u"ph2"_s),
        {u"moveUP_SCR"_s, u"移動"_s, u"up"_s, {}, [this] { moveNode(true); }},
        {u"moveDN_SCR"_s, u"移動"_s, u"down"_s, {}, [this] { moveNode(false); }},
    };
    setToolbar(buttons);
}

void TreeEditor::MakeToolbar1NEW()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseSCR"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode2SCR"_s, u"ツールバー２"_s, u"hummer"_s, u"分類ツリー移動モードへ"_s, [this] { toMoveMode(); }},
        gap(u"ph2"_s),
        {u"AddSCR_NEW"_s, u"追加"_s, u"CloseFolder"_s, u"選択分類の下に下位分類を追加"_s, [this] { AddClass(); }},
        {u"Alt"_s, u"名前変更"_s, u"blue"_s, u"分類名を変更"_s, [this] { alterSelected(); }},
        {u"Del_NEW"_s, u"削除"_s, u"del"_s, {}, [this] { deleteSelected(); }},
        {u"IntakeHD"_s, u"HDから取込"_s, u"tree"_s, {}, [this] { IntakeFromFolders(); }},
    };
    setToolbar(buttons);
}

void TreeEditor::MakeToolbar2NEW()
{
    const ToolbarButton buttons[] = {
        gap(u"ph1"_s),
        {u"CloseSCR"_s, u"閉じる"_s, u"arrow"_s, {}, [this] { closeEditor(); }},
        {u"Mode1SCR"_s, u"ツールバー1"_s, u"hummer"_s, u"ツールバー1 表示"_s, [this] { toEditMode(); }},
        gap(u"ph2"_s),
        {u"moveUP_SCR"_s, u"移動"_s, u"up"_s, {}, [this] { moveNode(true); }},
        {u"moveDN_SCR"_s, u"移動"_s, u"down"_s, {}, [this] { moveNode(false); }},
        {u"RecNew"_s, u"登録"_s, u"record2"_s, {}, [this] { RegisterNewTree(); }},
    };
    setToolbar(buttons);
}
