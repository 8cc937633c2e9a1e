# Sourced by the scripts that run the Windows programs under Wine.
#   wine_prefix_ready   makes the Wine prefix WINEPREFIX (the build's own)
#                       when it is missing, and lets it find Wine's fonts
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Setting up the Wine prefix $WINEPREFIX" >&2
    wineboot -i >&2 2>/dev/null
    wineserver -w
  fi
  # Wine's own fonts (fonts-wine: Tahoma, the message font, and Marlett,
  # whose symbols draw the caption buttons) are in /usr/share/wine/fonts,
  # where Debian's Wine does not look: without them the buttons show the
  # letters that stand for the symbols ("0 1 r"). The prefix's Fonts folder
  # is looked in by every Wine.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*; do
    if [ -f "$font" ]; then ln -sfn "$font" "$fonts/"; fi
  done
}
