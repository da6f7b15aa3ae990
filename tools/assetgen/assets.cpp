#include "assets.h"

#include "bmp_writer.h"
#include "icon.h"
#include "music.h"
#include "pictures.h"
#include "wav_writer.h"

namespace assetgen {

const std::vector<AssetInfo>& asset_list() {
  static const std::vector<AssetInfo> list = {
      {"title.bmp", 101},    {"picture1.bmp", 102}, {"picture2.bmp", 103}, {"picture3.bmp", 104},
      {"picture4.bmp", 105}, {"picture5.bmp", 106}, {"blank.bmp", 107},    {"music1.wav", 108},
      {"music2.wav", 109},   {"music3.wav", 110},   {"music4.wav", 111},   {"music5.wav", 112},
      {"icon.ico", 113},
  };
  return list;
}

// Number n in "<prefix>n<suffix>" for n in 1..9; 0 otherwise.
static int numbered(const std::string& name, const std::string& prefix, const std::string& suffix) {
  if (name.size() != prefix.size() + 1 + suffix.size()) return 0;
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  if (name.compare(prefix.size() + 1, suffix.size(), suffix) != 0) return 0;
  char d = name[prefix.size()];
  return d >= '1' && d <= '9' ? d - '0' : 0;
}

std::vector<uint8_t> generate_asset(const std::string& name) {
  // The game's own pictures are 120 dpi; the title and blank tile are plain 96 dpi.
  if (name == "title.bmp") return encode_bmp(render_title(), kBmp96Dpi);
  if (name == "blank.bmp") return encode_bmp(render_blank(), kBmp96Dpi);
  int picture = numbered(name, "picture", ".bmp");
  if (picture >= 1 && picture <= kPictureCount)
    return encode_bmp(render_picture(picture), kBmp120Dpi);
  int piece = numbered(name, "music", ".wav");
  if (piece >= 1 && piece <= kPieceCount) return encode_adpcm_wav(render_music(piece));
  if (name == "icon.ico") return encode_ico({render_icon(16), render_icon(32), render_icon(48)});
  return {};
}

}  // namespace assetgen
