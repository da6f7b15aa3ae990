#include "score.h"

#include <cstdlib>
#include <sstream>
#include <utility>

namespace assetgen {
namespace {

// Pitch class of a note letter, or -1.
int letter_class(char c) {
  switch (c) {
    case 'C':
      return 0;
    case 'D':
      return 2;
    case 'E':
      return 4;
    case 'F':
      return 5;
    case 'G':
      return 7;
    case 'A':
      return 9;
    case 'B':
      return 11;
    default:
      return -1;
  }
}

// Reads a pitch class with its accidental from s at *pos; -1 if there is none.
int read_class(const std::string& s, size_t* pos) {
  if (*pos >= s.size()) return -1;
  int pc = letter_class(s[*pos]);
  if (pc < 0) return -1;
  ++*pos;
  if (*pos < s.size() && s[*pos] == '#') {
    ++pc;
    ++*pos;
  } else if (*pos < s.size() && s[*pos] == 'b') {
    --pc;
    ++*pos;
  }
  return (pc + 12) % 12;
}

// Length suffix after ':'; returns false when it is not readable.
bool parse_length(const std::string& s, double* beats) {
  if (s.empty()) return false;
  double v = 0.0;
  size_t i = 1;
  switch (s[0]) {
    case 'w':
      v = 4.0;
      break;
    case 'h':
      v = 2.0;
      break;
    case 'q':
      v = 1.0;
      break;
    case 'e':
      v = 0.5;
      break;
    case 's':
      v = 0.25;
      break;
    default: {
      char* end = nullptr;
      v = std::strtod(s.c_str(), &end);
      if (end == s.c_str() || *end != '\0' || !(v > 0.0) || v > 64.0) return false;
      *beats = v;
      return true;
    }
  }
  if (i < s.size() && s[i] == '.') {
    v *= 1.5;
    ++i;
  }
  if (i != s.size()) return false;
  *beats = v;
  return true;
}

// Bar lines only help reading; they may touch the tokens around them.
std::string without_bars(std::string text) {
  for (char& c : text)
    if (c == '|') c = ' ';
  return text;
}

}  // namespace

int parse_key(const std::string& name) {
  size_t pos = 0;
  int pc = read_class(name, &pos);
  if (pc < 0 || pos + 1 != name.size()) return -1;
  char oct = name[pos];
  if (oct < '0' || oct > '8') return -1;
  // Bb and Cb wrap into their octave correctly: compute from the written letter.
  int letter = letter_class(name[0]);
  int shift = pc - letter;
  if (shift > 6) shift -= 12;
  if (shift < -6) shift += 12;
  return 12 * (oct - '0' + 1) + letter + shift;
}

double add_line(Score* score, Instrument instrument, double beat, double velocity,
                const std::string& text) {
  std::istringstream in(without_bars(text));
  std::string token;
  double length = 1.0;
  std::vector<int> chord;
  bool in_chord = false;
  while (in >> token) {
    // A token is a note, chord part or rest, optionally followed by ':' and a length.
    std::string head = token, len_text;
    size_t colon = token.find(':');
    if (colon != std::string::npos) {
      head = token.substr(0, colon);
      len_text = token.substr(colon + 1);
      if (!parse_length(len_text, &length)) ++score->errors;
    }
    bool opens = !head.empty() && head[0] == '[';
    bool closes = !head.empty() && head.back() == ']';
    if (opens) head.erase(0, 1);
    if (closes && !head.empty()) head.pop_back();
    if (opens) {
      if (in_chord) ++score->errors;
      in_chord = true;
      chord.clear();
    }
    if (!head.empty()) {
      if (head == "r" && !in_chord) {
        beat += length;
        continue;
      }
      int key = parse_key(head);
      if (key < 0) {
        ++score->errors;
      } else if (in_chord) {
        chord.push_back(key);
      } else {
        score->notes.push_back({beat, length, key, velocity, instrument});
        beat += length;
        continue;
      }
    }
    if (in_chord && closes) {
      for (int key : chord) score->notes.push_back({beat, length, key, velocity, instrument});
      beat += length;
      in_chord = false;
    } else if (!in_chord && !opens && head.empty()) {
      ++score->errors;  // a bare length or stray bracket
    }
  }
  if (in_chord) ++score->errors;  // unterminated chord: dropped
  return beat;
}

Chord parse_chord(const std::string& symbol, int low_key) {
  Chord c;
  size_t pos = 0;
  int root = read_class(symbol, &pos);
  if (root < 0) return c;
  std::string rest = symbol.substr(pos), quality = rest, bass_name;
  size_t slash = rest.find('/');
  if (slash != std::string::npos) {
    quality = rest.substr(0, slash);
    bass_name = rest.substr(slash + 1);
  }
  std::vector<int> steps;
  if (quality.empty())
    steps = {0, 4, 7};
  else if (quality == "m")
    steps = {0, 3, 7};
  else if (quality == "7")
    steps = {0, 4, 7, 10};
  else if (quality == "m7")
    steps = {0, 3, 7, 10};
  else if (quality == "maj7")
    steps = {0, 4, 7, 11};
  else if (quality == "dim")
    steps = {0, 3, 6, 9};
  else if (quality == "sus4")
    steps = {0, 5, 7};
  else
    return c;
  int bass_class = root;
  if (slash != std::string::npos) {
    size_t bpos = 0;
    bass_class = read_class(bass_name, &bpos);
    if (bass_class < 0 || bpos != bass_name.size()) return c;
  }
  // Lowest chord tone at or above low_key, then the rest stacked above it.
  int base = low_key - ((low_key - root) % 12 + 12) % 12;  // root at or below low_key
  for (int s : steps) {
    int k = base + s;
    while (k < low_key) k += 12;
    c.keys.push_back(k);
  }
  for (size_t i = 1; i < c.keys.size(); ++i)
    for (size_t j = i; j > 0 && c.keys[j] < c.keys[j - 1]; --j) std::swap(c.keys[j], c.keys[j - 1]);
  c.bass = 40 + (bass_class + 12 - 4) % 12;  // E2..D#3: a comfortable bass range
  c.valid = true;
  return c;
}

std::vector<ChordSpan> parse_progression(const std::string& text, double default_beats, int low_key,
                                         int* errors) {
  std::istringstream in(without_bars(text));
  std::vector<ChordSpan> out;
  std::string token;
  double beat = 0.0;
  while (in >> token) {
    double length = default_beats;
    std::string symbol = token;
    size_t colon = token.find(':');
    if (colon != std::string::npos) {
      symbol = token.substr(0, colon);
      if (!parse_length(token.substr(colon + 1), &length)) {
        length = default_beats;
        if (errors) ++*errors;
      }
    }
    Chord chord = parse_chord(symbol, low_key);
    if (chord.valid)
      out.push_back({chord, beat, length});
    else if (errors)
      ++*errors;
    beat += length;
  }
  return out;
}

}  // namespace assetgen
