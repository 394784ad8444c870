#include "FloatBarMenu.h"
#include "FloatBarIdentity.h"

namespace kest {

UniqueHMenu createFloatBarMenu(bool barShown) {
    UniqueHMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    const bool made = AppendMenuW(menu.get(), MF_STRING | (barShown ? MF_CHECKED : MF_UNCHECKED), ShowBarCommandId,
                                  L"Show Bar") &&
                      AppendMenuW(menu.get(), MF_STRING, OpenSettingsCommandId, L"Settings...") &&
                      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr) &&
                      AppendMenuW(menu.get(), MF_STRING, ExitCommandId, L"Exit");
    if (!made) return UniqueHMenu();
    SetMenuDefaultItem(menu.get(), ShowBarCommandId, FALSE);
    return menu;
}

}  // namespace kest
