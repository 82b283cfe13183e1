// The screens' popup menus, their item numbers, and the text dialog
// templates. Each screen opens its own with `popupMenu` / `textDialog`.
#pragma once

#include <cstdint>

#include "ui/framework/ui_platform.h"

namespace qz {

// Item numbers, shared by the menus that offer the same action.
constexpr uint32_t MENU_ERASE = 201;
constexpr uint32_t MENU_ERASE_ALL = 202;
constexpr uint32_t MENU_COPY = 203;
constexpr uint32_t MENU_PASTE = 204;
constexpr uint32_t MENU_MOVE = 205;
constexpr uint32_t MENU_DELETE = 206;
constexpr uint32_t MENU_DELETE_ALL = 207;
constexpr uint32_t MENU_INSERT = 208;
constexpr uint32_t MENU_RENAME = 215;
constexpr uint32_t MENU_VELOCITY = 216;
constexpr uint32_t MENU_DURATION = 217;
constexpr uint32_t MENU_TIMING = 218;
constexpr uint32_t MENU_CANCEL = 219;
constexpr uint32_t MENU_ERASE_CONTROL = 220;
constexpr uint32_t MENU_ERASE_BEND = 221;
constexpr uint32_t MENU_ERASE_PRESSURE = 222;
constexpr uint32_t MENU_STEP_DELETE = 260;
constexpr uint32_t MENU_STEP_CANCEL = 265;

// The event grid: EVENTMENU, and EVENTMENUPLAY while the transport runs.
extern const MenuDef EVENT_MENU;
extern const MenuDef EVENT_MENU_PLAY;
// The pads and the track row.
extern const MenuDef PAD_MENU;
extern const MenuDef TRACK_MENU;
extern const MenuDef TRACK_TEMPO_MENU;
// The bar ruler: BARMENU1 before any bars were copied, BARMENU2 after, and
// the ALL TRACKS pair.
extern const MenuDef BAR_MENU1;
extern const MenuDef BAR_MENU2;
extern const MenuDef ALL_BAR_MENU1;
extern const MenuDef ALL_BAR_MENU2;
// The sequence row, for a real sequence and for an empty slot.
extern const MenuDef SEQ_MENU;
extern const MenuDef SEQ_DEFAULT_MENU;
// The step editor.
extern const MenuDef STEP_MENU;

// Text dialogs.
extern const TextDialogDef SEQ_LIST_RENAME_DIALOG;
extern const TextDialogDef SEQ_RENAME_DIALOG;
extern const TextDialogDef SEQ_DEFAULT_NAME_DIALOG;
extern const TextDialogDef TRACK_RENAME_DIALOG;
extern const TextDialogDef CHORD_NAME_DIALOG;

}  // namespace qz
