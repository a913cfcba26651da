#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch folder made read-only
# as an installed program's folder is, and starts the unpacked desk headless
# for a user with a fresh home: the first start must make the data folder
# (owner only) and its empty data files and say so once, the demo script's
# transcript must be the build tree's, and a second start must say nothing.
# Then lintian looks at the package and fails on errors.
#   tests/package/check_package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}

cmake --build "$build" -j2 --target package
debs=("$build"/orderdesk_*.deb)
deb=${debs[-1]}
echo "package: $deb"

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
chmod -R a-w "$scratch/root"
desk=$scratch/root/usr/bin/orderdesk
tool=$scratch/root/usr/bin/orderdesk-ldgtool
mkdir "$scratch/home"

fail() {
  echo "package check: $*" >&2
  exit 1
}

run_unpacked() {
  env -u XDG_DATA_HOME HOME="$scratch/home" "$desk" --script demo/first_run.script \
    >"$scratch/$1.out" 2>"$scratch/$1.err" || fail "the unpacked desk ended with $? ($1 start)"
}

run_unpacked first
data=$scratch/home/.local/share/orderdesk
[ -d "$data" ] || fail "the first start made no data folder $data"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is not for its owner only: $(stat -c %a "$data")"
for file in 流水账.ldg 客户库.ldg 报表库.ldg; do
  "$tool" verify "$data/$file" --password qkd3094716 >/dev/null ||
    fail "$file in the new data folder does not verify"
done
[ "$(grep -c 第一次启动 "$scratch/first.err")" = 1 ] ||
  fail "the first start did not say once that it made the data folder: $(cat "$scratch/first.err")"

tools/start_desk.sh --build "$build" --data "$scratch/tree" --script demo/first_run.script \
  >"$scratch/tree.out" 2>/dev/null
# Each start names its own data folder (where the day's backup went); the rest must match.
sed -i "s|$scratch/tree|DATA|g; s|$data|DATA|g" "$scratch/tree.out" "$scratch/first.out"
diff -u "$scratch/tree.out" "$scratch/first.out" ||
  fail "the unpacked desk's transcript differs from the build tree's"

# The second start finds its folder (the demo has named the shop there).
run_unpacked second
! grep -q 第一次启动 "$scratch/second.err" || fail "the second start said again that it made the folder"
grep -q '^WINDOW open "小王代购"' "$scratch/second.out" ||
  fail "the second start did not find the first one's settings"

# The menu entry starts a program the package holds, with an icon it holds.
entry=$scratch/root/usr/share/applications/orderdesk.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$scratch/root/usr/bin/${exec_line%% *}" ] || fail "the menu entry starts $exec_line, not in the package"
for side in 16 32 48 64 128 256; do
  [ -s "$scratch/root/usr/share/icons/hicolor/${side}x$side/apps/orderdesk.png" ] ||
    fail "no $side-pixel icon"
done
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry"; fi

# lintian refuses nothing but errors; its warnings are shown.
lintian --fail-on error --info "$deb"
echo "package check: $deb passes"
