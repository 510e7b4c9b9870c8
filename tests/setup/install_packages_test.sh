#!/bin/sh
# The set-up's package install against stand-ins for apt-get, dpkg-query, dpkg and sleep, one row
# per state of the package archive. Usage: install_packages_test.sh tools/install-packages.sh
set -u
script=$(realpath "$1")
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
index=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz

# apt-get: each update fails while fewer than $UPDATE_FAILS have; an install works when $INSTALL is
# ok, or is pinned and given preferences that pin bookworm-security away.
cat >"$stubs/apt-get" <<EOF
#!/bin/sh
echo "apt-get \$*" >>"$stubs/calls"
case "\$*" in
*update*)
    echo x >>"$stubs/updates"
    [ "\$(wc -l <"$stubs/updates")" -gt "\$UPDATE_FAILS" ] && exit 0
    echo "E: Failed to fetch $index  File has unexpected size (374820 != 376004)."
    exit 100 ;;
*Preferences=*)
    preferences=\${*#*Preferences=}
    [ "\$INSTALL" = pinned ] && grep -qx 'Pin: release n=bookworm-security' "\${preferences%% *}" &&
        exit 0 ;;
*)
    [ "\$INSTALL" = ok ] && exit 0 ;;
esac
echo "E: Unable to correct problems, you have held broken packages."
exit 100
EOF
printf '#!/bin/sh\ncase " $MISSING " in *" $3 "*) exit 1 ;; esac\nprintf "install ok installed"\n' \
    >"$stubs/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$stubs/dpkg"
printf '#!/bin/sh\necho "sleep $*" >>"%s/calls"\n' "$stubs" >"$stubs/sleep"
chmod +x "$stubs"/*

failures=0
# name | update failures | install | missing | fails (1) | printed (grep -E, empty: nothing)
# | the stand-ins' calls, joined by ;
while IFS='|' read -r name update_fails install missing status printed calls; do
    rm -f "$stubs/calls" "$stubs/updates"
    output=$(PATH="$stubs:$PATH" UPDATE_FAILS=$update_fails INSTALL=$install MISSING=$missing \
        sh -c 'set -eu; . "$1"; install_missing wine32:i386 xvfb' sh "$script" 2>&1)
    actual_status=$?
    actual_calls=$(sed 's/ -o Dir::Etc::Preferences=[^ ]*/ PINNED/' "$stubs/calls" 2>/dev/null |
        sed 's/ -y -qq --no-install-recommends//; s/ -qq -o Acquire::Retries=3//' | paste -sd ';')
    if [ $((actual_status != 0)) -ne "$status" ] ||
        { [ -n "$printed" ] && ! printf '%s' "$output" | grep -qE "$printed"; } ||
        { [ -z "$printed" ] && [ -n "$output" ]; } || [ "$actual_calls" != "$calls" ]; then
        failures=$((failures + 1))
        printf 'FAILED: %s\n  exit status %s (fails: %s), calls: %s\n  expected: %s\n  output:\n%s\n' \
            "$name" "$actual_status" "$status" "$actual_calls" "$calls" "$output"
    fi
done <<EOF
every index loads|0|ok|xvfb|0|installing xvfb|apt-get update;apt-get install xvfb
one index fails once, then loads|1|ok|xvfb|0|trying again in 10 s|apt-get update;sleep 10;apt-get update;apt-get install xvfb
one index keeps failing, the install works|9|ok|xvfb|0|going on with the package indexes that loaded|apt-get update;sleep 10;apt-get update;sleep 30;apt-get update;apt-get install xvfb
one index keeps failing, versions out of step, the fallback works|9|pinned|wine32:i386|0|FALLING BACK|apt-get update;sleep 10;apt-get update;sleep 30;apt-get update;apt-get install wine32:i386;apt-get install PINNED wine32:i386
nothing works|9|never|wine32:i386|1|FAILED: the package archive is out of step.*$index|apt-get update;sleep 10;apt-get update;sleep 30;apt-get update;apt-get install wine32:i386;apt-get install PINNED wine32:i386
nothing missing|0|ok||0||
EOF
[ "$failures" -eq 0 ]
