// What the menu and the play loop share: the game's static images and its entry points.
#pragma once

#include <slate/graphics.h>

// pictures[0] is the title picture, 1-5 the game pictures, 6 the title spin's frame.
extern Slate::IMAGE pictures[7];
// tiles[k] is the picture of tile k; tiles[19] holds the blank tile.
extern Slate::IMAGE tiles[20];

// Cuts one of the five pictures into tiles and plays. Never returns.
void startGame();
// Deals and runs the play loop. Never returns.
void playGame();
// Reads exactly one mouse message and slides a tile if it was a left press beside the blank.
void handleBoardClick();
