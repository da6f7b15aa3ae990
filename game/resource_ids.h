// Resource identifiers, shared by the program and the resource script.
#pragma once

#define IDR_TITLE_PICTURE 101
#define IDR_FIRST_GAME_PICTURE 102 /* 102 to 106 */
#define IDR_BLANK_TILE 107
#define IDR_FIRST_MUSIC 108 /* 108 to 112 */
#define MUSIC_COUNT 5
#define IDI_GAME_ICON 113   /* the first icon: shortcuts and the window show it */
#define IDR_KAI_FONT 114    /* "FONTFILE": the Kai stand-in for 华文新魏 */
#define IDR_SCRIPT_FONT 115 /* "FONTFILE": the script stand-in for Mistral */
