#include "ArchiveDialog.h"
#include "DialogFrames.h"

#include <user/CommonControls.h>
#include <user/Dialogs.h>

namespace {

using namespace dialog_styles;

user::DialogTemplate archive_dialog()
{
        user::DialogTemplate t = dialog_frame(Modal, "Archive", 245, 163);
    t.font_face = "MS Sans Serif";
    t.controls = {
        { WC_TREEVIEWA, "TreeView1", IDC_ARCHIVE_TREE,
            Tab | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 7, 1, 183, 136 },
        { "BUTTON", "&Info", IDC_ARCHIVE_INFO, Tab, 0, 190, 3, 55, 13 },
        { "BUTTON", "&Delete", IDC_ARCHIVE_DELETE, Tab, 0, 190, 22, 55, 13 },
        { "BUTTON", "&Launch player", IDC_ARCHIVE_LAUNCH, Tab, 0, 190, 52, 55, 13 },
        { "BUTTON", "&Open file", IDOK, Tab, 0, 40, 146, 67, 15 },
        { "BUTTON", "&Cancel", IDCANCEL, Tab, 0, 137, 146, 67, 15 },
    };
    return t;
}

}

void RegisterArchiveDialog()
{
    static const user::DialogTemplate archive = archive_dialog();
    if (!user::find_dialog(MAKEINTRESOURCEA(IDD_ARCHIVE)))
        user::register_dialog(IDD_ARCHIVE, archive);
}
