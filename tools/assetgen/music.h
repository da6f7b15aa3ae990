// Turns scores into loopable 16-bit clips.
#ifndef ASSETGEN_MUSIC_H
#define ASSETGEN_MUSIC_H

#include <cstdint>
#include <vector>

#include "score.h"

namespace assetgen {

constexpr int kPieceCount = 5;
// Peak level of every clip: -3 dBFS.
constexpr double kPeakLevel = 0.70795;

// Piece n in 1..kPieceCount; any other n gives an empty score.
Score make_piece(int n);

// Renders a score as one seamless loop of mono samples at the synth rate. The tempo is
// nudged so the loop fills whole ADPCM blocks exactly; everything ringing past the end
// (note tails, reverb) wraps into the start, so playing it on repeat has no seam.
// An empty or unusable score gives an empty clip.
std::vector<int16_t> render_score(const Score& score);

// Piece n rendered; empty for an unknown n.
std::vector<int16_t> render_music(int n);

}  // namespace assetgen

#endif
