#!/usr/bin/env bash
# The .deb: built by CPack, clean under lintian, unpacked into a throw-away
# root, and its /usr/bin/mirutoka run once end to end.
# Usage: deb_test.sh BUILD_DIR
set -uo pipefail
build=$(realpath "$1")
source "$(dirname "$0")/../e2e/e2e_lib.sh" "$build/e2e-screenshots"

package=$(cd "$build" && cpack -G DEB 2>&1 | sed -n 's/.*package: \(.*\.deb\) generated.*/\1/p')
check "cpack builds the .deb" test -f "$package"
lint=$(lintian --tag-display-limit 0 "$package" 2>&1 | grep -E '^[EW]: ')
check "lintian reports no error or warning: $lint" test -z "$lint"

not_grep() { ! grep -q "$@"; }

root="$work/root"
dpkg-deb -x "$package" "$root"
for file in usr/bin/mirutoka usr/share/applications/mirutoka.desktop usr/share/icons/hicolor/32x32/apps/mirutoka.png \
  usr/share/icons/hicolor/scalable/apps/mirutoka.svg usr/share/man/man1/mirutoka.1.gz \
  usr/share/man/ja/man1/mirutoka.1.gz usr/share/doc/mirutoka/copyright usr/share/metainfo/org.example.mirutoka.metainfo.xml; do
  check "the package holds /$file" test -f "$root/$file"
done
fields=$(dpkg-deb -f "$package" Depends Recommends)
check "it depends on the X11 platform plugin" grep -q '^Depends:.*qt6-qpa-plugins' <<<"$fields"
check "it depends on the Wayland platform plugin" grep -q '^Depends:.*qt6-wayland' <<<"$fields"
check "the desktop entry is valid" desktop-file-validate "$root/usr/share/applications/mirutoka.desktop"
# The menu entry starts mirutoka wherever the desktop starts programs; the
# example entry names the folder of the example it protects.
check "the menu entry names no working folder" not_grep '^Path=' "$root/usr/share/applications/mirutoka.desktop"
example_entry="$root/usr/share/doc/mirutoka/examples/linux/mirutoka-supertuxkart.desktop"
check "the example menu entry is valid" desktop-file-validate "$example_entry"
example_folder=$(sed -n 's/^Path=//p' "$example_entry")
check "its Path= is a folder the package fills with a PASSWORD.INI ($example_folder)" \
  test -f "$root$example_folder/PASSWORD.INI"
check "the AppStream metainfo is valid" appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.mirutoka.metainfo.xml"

start_x_session
use_program "$root/usr/bin/mirutoka"
new_case installed_program_starts_the_protected_one
password_file $'himitsu\n../touch.sh started\n'
right_password_starts

report_and_exit
