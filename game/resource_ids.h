// Resource identifiers, shared by the program and the resource script.
#pragma once

#define IDR_TITLE_PICTURE 101
#define IDR_FIRST_GAME_PICTURE 102 /* 102 to 106 */
#define IDR_BLANK_TILE 107
#define IDR_FIRST_MUSIC 108 /* 108 to 112 */
#define MUSIC_COUNT 5
#define IDI_GAME_ICON 113 /* the first icon: shortcuts and the window show it */
