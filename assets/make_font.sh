#!/usr/bin/env bash
# Makes assets/kavimo-ja.otf: the few glyphs of the program's own Japanese texts (the menu's items), cut from
# Noto Sans CJK JP Regular (Debian's fonts-noto-cjk; SIL Open Font License 1.1, see kavimo-ja.LICENSE) and
# renamed "Kavimo Japanese", so that the menu reads on a desktop without CJK fonts.
# Needs: fonts-noto-cjk, fonttools (Debian packages). Usage: assets/make_font.sh
set -euo pipefail
cd "$(dirname "$0")"
source=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
text="タイル数バージョン情報終了（回転なし）"
pyftsubset "$source" --font-number=0 --text="$text" --layout-features='*' --no-hinting --desubroutinize \
    --name-IDs='*' --output-file=kavimo-ja.otf
/usr/bin/python3 - <<'PY'
from fontTools.ttLib import TTFont
font = TTFont("kavimo-ja.otf")
names = font["name"]
for record in list(names.names):
    if record.nameID in (1, 3, 4, 6, 16, 17, 18):
        names.removeNames(nameID=record.nameID)
names.setName("Kavimo Japanese", 1, 3, 1, 0x409)
names.setName("Kavimo Japanese", 4, 3, 1, 0x409)
names.setName("KavimoJapanese-Regular", 6, 3, 1, 0x409)
names.setName("Kavimo Japanese Regular; subset of Noto Sans CJK JP", 3, 3, 1, 0x409)
font["CFF "].cff.fontNames = ["KavimoJapanese-Regular"]
font.save("kavimo-ja.otf")
PY
