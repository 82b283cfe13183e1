// The screens' popup menus and text dialog templates.
#include "ui/screens/menus.h"

namespace qz {

namespace {

constexpr MenuItem SEPARATOR{0, nullptr, false};

constexpr MenuItem EVENT_MENU_ITEMS[] = {{MENU_ERASE, "Erase", false},
                                         SEPARATOR,
                                         {MENU_COPY, "Copy", false},
                                         SEPARATOR,
                                         {MENU_PASTE, "Paste", false},
                                         SEPARATOR,
                                         {MENU_MOVE, "Move", false},
                                         SEPARATOR,
                                         {MENU_VELOCITY, "Velocity", false},
                                         {MENU_DURATION, "Duration", false},
                                         {MENU_TIMING, "Timing Correct", false},
                                         SEPARATOR,
                                         {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem EVENT_MENU_PLAY_ITEMS[] = {{MENU_ERASE, "Erase", false}, SEPARATOR, {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem PAD_MENU_ITEMS[] = {{MENU_ERASE, "Erase Pad", false},
                                       {MENU_ERASE_ALL, "Erase all Pads", false},
                                       SEPARATOR,
                                       {MENU_COPY, "Copy Pad", false},
                                       {MENU_PASTE, "Paste Pad", false},
                                       SEPARATOR,
                                       {MENU_VELOCITY, "Velocity", false},
                                       {MENU_DURATION, "Duration", false},
                                       {MENU_TIMING, "Timing Correct", false},
                                       SEPARATOR,
                                       {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem TRACK_MENU_ITEMS[] = {{MENU_ERASE, "Erase a track", false},
                                         {MENU_ERASE_ALL, "Erase all tracks", false},
                                         SEPARATOR,
                                         {MENU_ERASE_CONTROL, "Erase Control Change", false},
                                         {MENU_ERASE_BEND, "Erase Bend", false},
                                         {MENU_ERASE_PRESSURE, "Erase Pressure", false},
                                         SEPARATOR,
                                         {MENU_COPY, "Copy track", false},
                                         {MENU_PASTE, "Paste track", false},
                                         SEPARATOR,
                                         {MENU_VELOCITY, "Velocity", false},
                                         {MENU_DURATION, "Duration", false},
                                         {MENU_TIMING, "Timing Correct", false},
                                         SEPARATOR,
                                         {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem TRACK_TEMPO_MENU_ITEMS[] = {
    {MENU_ERASE, "Erase all tempo change", false}, SEPARATOR, {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem BAR_MENU1_ITEMS[] = {{MENU_ERASE, "Erase Bar", false},
                                        {MENU_DELETE, "Delete Bar", false},
                                        SEPARATOR,
                                        {MENU_ERASE_CONTROL, "Erase Control Change", false},
                                        {MENU_ERASE_BEND, "Erase Bend", false},
                                        {MENU_ERASE_PRESSURE, "Erase Pressure", false},
                                        SEPARATOR,
                                        {MENU_INSERT, "Insert Blank Bar", false},
                                        SEPARATOR,
                                        {MENU_COPY, "Copy Bar", false},
                                        SEPARATOR,
                                        {MENU_PASTE, "Paste", true},
                                        SEPARATOR,
                                        {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem BAR_MENU2_ITEMS[] = {{MENU_ERASE, "Erase Bar", false},
                                        {MENU_DELETE, "Delete Bar", false},
                                        SEPARATOR,
                                        {MENU_ERASE_CONTROL, "Erase Control Change", false},
                                        {MENU_ERASE_BEND, "Erase Bend", false},
                                        {MENU_ERASE_PRESSURE, "Erase Pressure", false},
                                        SEPARATOR,
                                        {MENU_INSERT, "Insert Blank Bar", false},
                                        SEPARATOR,
                                        {MENU_COPY, "Copy Bar", false},
                                        SEPARATOR,
                                        {MENU_PASTE, "Paste Bar", false},
                                        SEPARATOR,
                                        {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem ALL_BAR_MENU1_ITEMS[] = {{MENU_ERASE, "Erase Track(1-16) Bar", false},
                                            {MENU_DELETE, "Delete Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_ERASE_CONTROL, "Erase Ctrl (1-16) Bar", false},
                                            {MENU_ERASE_BEND, "Erase Bend(1-16) Bar", false},
                                            {MENU_ERASE_PRESSURE, "Erase Press.(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_INSERT, "Insert Blank Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_COPY, "Copy Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_PASTE, "Paste Track(1-16) Bar", true},
                                            SEPARATOR,
                                            {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem ALL_BAR_MENU2_ITEMS[] = {{MENU_ERASE, "Erase Track(1-16) Bar", false},
                                            {MENU_DELETE, "Delete Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_ERASE_CONTROL, "Erase Ctrl (1-16) Bar", false},
                                            {MENU_ERASE_BEND, "Erase Bend(1-16) Bar", false},
                                            {MENU_ERASE_PRESSURE, "Erase Press.(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_INSERT, "Insert Blank Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_COPY, "Copy Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_PASTE, "Paste Track(1-16) Bar", false},
                                            SEPARATOR,
                                            {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem SEQ_MENU_ITEMS[] = {{MENU_RENAME, "Rename", false},
                                       SEPARATOR,
                                       {MENU_COPY, "Copy", false},
                                       SEPARATOR,
                                       {MENU_DELETE, "Delete", false},
                                       {MENU_DELETE_ALL, "Delete All", false},
                                       SEPARATOR,
                                       {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem SEQ_DEFAULT_MENU_ITEMS[] = {
    {MENU_RENAME, "Default Name", false}, SEPARATOR, {MENU_CANCEL, "Cancel", false}};
constexpr MenuItem STEP_MENU_ITEMS[] = {
    {MENU_STEP_DELETE, "Delete", false}, SEPARATOR, {MENU_STEP_CANCEL, "Cancel", false}};

template <size_t N>
constexpr MenuDef menu(const char* name, const MenuItem (&items)[N]) {
    return MenuDef{name, items, int(N)};
}

}  // namespace

const MenuDef EVENT_MENU = menu("EVENTMENU", EVENT_MENU_ITEMS);
const MenuDef EVENT_MENU_PLAY = menu("EVENTMENUPLAY", EVENT_MENU_PLAY_ITEMS);
const MenuDef PAD_MENU = menu("PADMENU", PAD_MENU_ITEMS);
const MenuDef TRACK_MENU = menu("TRACKMENU", TRACK_MENU_ITEMS);
const MenuDef TRACK_TEMPO_MENU = menu("TRACKTEMPOMENU", TRACK_TEMPO_MENU_ITEMS);
const MenuDef BAR_MENU1 = menu("BARMENU1", BAR_MENU1_ITEMS);
const MenuDef BAR_MENU2 = menu("BARMENU2", BAR_MENU2_ITEMS);
const MenuDef ALL_BAR_MENU1 = menu("ALLTRKBARMENU1", ALL_BAR_MENU1_ITEMS);
const MenuDef ALL_BAR_MENU2 = menu("ALLTRKBARMENU2", ALL_BAR_MENU2_ITEMS);
const MenuDef SEQ_MENU = menu("SEQMENU", SEQ_MENU_ITEMS);
const MenuDef SEQ_DEFAULT_MENU = menu("SEQDEFAULTMENU", SEQ_DEFAULT_MENU_ITEMS);
const MenuDef STEP_MENU = menu("STEPMENU", STEP_MENU_ITEMS);

const TextDialogDef SEQ_LIST_RENAME_DIALOG{"SEQLISTRENAME", "Sequence Rename.", 270, 170, 140, 40};
const TextDialogDef SEQ_RENAME_DIALOG{"SEQRENAME", "Sequence Rename.", 270, 30, 140, 40};
const TextDialogDef SEQ_DEFAULT_NAME_DIALOG{"SEQRENAME2", "Sequence Default Name.", 270, 30, 140, 40};
const TextDialogDef TRACK_RENAME_DIALOG{"TRKRENAME", "Track Rename.", 120, 70, 140, 40};
const TextDialogDef CHORD_NAME_DIALOG{"CHORDNAME", "Chord Name.", 120, 70, 140, 40};

}  // namespace qz
