#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
"""Regenerates the two application fonts from free fonts that Debian ships.

The game's forms ask for the families "Footlight MT Light" (the counter) and
"Arial Rounded MT Bold" (labels and buttons). We ship look-alikes under those
family names so the forms match them without any font of the system:

  footlight.ttf        from EB Garamond 12 Regular (fonts-ebgaramond-extra)
  arial_rounded_b.ttf  from Comfortaa Bold          (fonts-comfortaa)

Both sources are under the SIL Open Font License 1.1, and so are these
derivatives. Comfortaa reserves its name, so nothing that names the font
(name IDs 1, 3, 4, 6, 16-18, 21, 22) keeps it. The glyphs are cut down to
Latin-1 and a few punctuation marks, which is all the game writes; the
Garamond's digits are its lining ones, and the Comfortaa is drawn smaller.

Needs Debian's python3-fonttools and the two font packages:
  apt-get install python3-fonttools fonts-ebgaramond-extra fonts-comfortaa
Run it with Debian's python: /usr/bin/python3 resources/polices/generate.py
"""

import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.scaleUpem import scale_upem

HERE = os.path.dirname(os.path.abspath(__file__))

FONTS = [
    {
        "source": "/usr/share/fonts/truetype/ebgaramond/EBGaramond12-Regular.ttf",
        "package": "fonts-ebgaramond-extra",
        "target": "footlight.ttf",
        "family": "Footlight MT Light",
        "postscript": "FootlightMTLight-QuiverBolt",
        "origin": "EB Garamond 12 Regular",
        # The counter shows nothing but digits: make them full height.
        "lining_figures": True,
        "scale": 1.0,
    },
    {
        "source": "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",
        "package": "fonts-comfortaa",
        "target": "arial_rounded_b.ttf",
        "family": "Arial Rounded MT Bold",
        "postscript": "ArialRoundedMTBold-QuiverBolt",
        "origin": "Comfortaa Bold",
        "lining_figures": False,
        # Comfortaa runs wider and taller than the font it stands in for;
        # at 88 % "submit record" fits its 281-pixel button at 30 pt.
        "scale": 0.88,
    },
]

# Printable ASCII, Latin-1, and the marks the game's texts and warnings use.
UNICODES = (
    list(range(0x20, 0x7F))
    + list(range(0xA0, 0x100))
    + [0x2013, 0x2014, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2026, 0x20AC]
)

# Every name that presents the font to users; the rest (copyright, licence,
# designer, feature names) is kept as the source has it.
NAMING_IDS = {1, 2, 3, 4, 6, 10, 16, 17, 18, 21, 22}


def rename(font, recipe):
    version = font["name"].getDebugName(5) or ""
    names = {
        1: recipe["family"],
        2: "Regular",
        3: "QuiverBolt: " + recipe["family"] + " from " + recipe["origin"],
        4: recipe["family"],
        6: recipe["postscript"],
        10: "Modified by the QuiverBolt developers from "
        + recipe["origin"]
        + " ("
        + version
        + "): renamed and reduced to Latin-1.",
    }
    table = font["name"]
    table.names = [n for n in table.names if n.nameID not in NAMING_IDS]
    for name_id, text in names.items():
        table.setName(text, name_id, 3, 1, 0x409)  # Windows, Unicode BMP, en-US
        table.setName(text, name_id, 1, 0, 0)  # Macintosh, Roman, English

    # One regular face per family: the weight is part of the family name.
    os2 = font["OS/2"]
    os2.usWeightClass = 400
    os2.fsSelection = (os2.fsSelection & ~0b1100001) | 0b1000000  # REGULAR, not ITALIC/BOLD
    font["head"].macStyle = 0


def use_lining_figures(font):
    """Maps the digits to the font's lining forms instead of its old-style ones."""
    glyphs = set(font.getGlyphOrder())
    names = ["zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"]
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for offset, name in enumerate(names):
            lining = name + ".lnum"
            if 0x30 + offset in table.cmap and lining in glyphs:
                table.cmap[0x30 + offset] = lining


def shrink(font, factor):
    """Draws every glyph, metric and kerning value at the given fraction of its size."""
    upem = font["head"].unitsPerEm
    scale_upem(font, round(upem * factor))
    font["head"].unitsPerEm = upem


def build(recipe):
    if not os.path.exists(recipe["source"]):
        sys.exit("missing %s: apt-get install %s" % (recipe["source"], recipe["package"]))
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.glyph_names = True
    options.drop_tables += ["DSIG", "FFTM"]
    # Keep the source's dates so that a rerun gives the same bytes.
    font = TTFont(recipe["source"], recalcTimestamp=False)
    if recipe["lining_figures"]:
        use_lining_figures(font)
    if recipe["scale"] != 1.0:
        # Scaled outlines no longer fit the source's hinting instructions.
        options.hinting = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=UNICODES)
    subsetter.subset(font)
    if recipe["scale"] != 1.0:
        shrink(font, recipe["scale"])
    rename(font, recipe)
    target = os.path.join(HERE, recipe["target"])
    font.save(target)
    print("wrote %s (%d bytes)" % (target, os.path.getsize(target)))


def main():
    for recipe in FONTS:
        build(recipe)


if __name__ == "__main__":
    main()
