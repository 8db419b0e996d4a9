#!/usr/bin/env bash
# Installs the Debian packages only the tests need, when any is missing: a real
# input method (fcitx5 with mozc and its Qt 6 module) for the typing tests, the
# tools that drive it, a CJK font for its candidates, the ja_JP.UTF-8 and
# de_DE.UTF-8 locales, the validators and desktop tools the checks of the
# installed files run, and openpyxl, with which the export tests read a workbook back.
set -euo pipefail
packages=(fcitx5 fcitx5-mozc fcitx5-frontend-qt6 xdotool dbus-x11 fonts-noto-cjk locales
          desktop-file-utils appstream libxml2-utils man-db groff-base shared-mime-info
          xdg-utils libfile-mimeinfo-perl file util-linux python3-openpyxl)
"$(dirname "$0")/../deps.sh" "${packages[@]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
# ja_JP for the typing and font tests; de_DE, whose numbers take a decimal comma,
# for the tests that the command-line modes and the analysis tables do not depend
# on the locale's numbers.
missing=()
for name in ja_JP de_DE; do
  if locale -a 2>/dev/null | grep -qix "$name\.utf-\?8"; then
    echo "test-deps: locale $name.UTF-8 present"
  else
    missing+=("$name")
    if grep -q "^# *$name.UTF-8 UTF-8" /etc/locale.gen; then
      $SUDO sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$name.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "test-deps: generating locales ${missing[*]/%/.UTF-8}"
  $SUDO locale-gen
fi
