#!/usr/bin/env python3
"""Makes the game's stand-in faces at build time, with Debian's fonttools.

    stand_in_faces.py KAI.ttc KAI_INDEX SCRIPT.ttf OUT_DIR SOURCE...

kai.ttf: the Kai face cut to the characters the game draws: printable ASCII and every
character of a wide string literal (L"...") in the given sources.
script.ttf: the script face whole.
Each gets a family name of its own, so that it never shadows an installed face of its
original name and a font made from it can be told apart.
"""
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILIES = {"kai.ttf": "SlidePuzzle Kai", "script.ttf": "SlidePuzzle Script"}
NAME_IDS = (1, 3, 4, 6, 16, 17, 18)  # family, unique, full, PostScript, typographic names


def drawn_characters(sources):
    text = {chr(c) for c in range(0x20, 0x7F)}
    for path in sources:
        with open(path, encoding="utf-8") as source:
            for literal in re.findall(r'L"((?:[^"\\]|\\.)*)"', source.read()):
                text.update(literal)
    return "".join(sorted(text))


def rename(font, family):
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in NAME_IDS]
    postscript = family.replace(" ", "")
    for name_id, value in ((1, family), (3, postscript), (4, family), (6, postscript)):
        names.setName(value, name_id, 3, 1, 0x409)
        names.setName(value, name_id, 1, 0, 0)


def main(kai, kai_index, script, out_dir, *sources):
    options = subset.Options()
    options.font_number = int(kai_index)
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.drop_tables += ["FFTM"]  # a font-editor time stamp fonttools cannot cut
    font = subset.load_font(kai, options)
    cutter = subset.Subsetter(options)
    cutter.populate(text=drawn_characters(sources))
    cutter.subset(font)
    rename(font, FAMILIES["kai.ttf"])
    subset.save_font(font, f"{out_dir}/kai.ttf", options)

    whole = TTFont(script)
    rename(whole, FAMILIES["script.ttf"])
    whole.save(f"{out_dir}/script.ttf")


if __name__ == "__main__":
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
