# Installs Debian packages, riding out a package archive that is briefly out of step with itself
# (an index that does not match its release file while a mirror syncs). Source it as root;
# install_missing PACKAGE... installs those not yet installed, or stops with a message that says why.

# Loads the package indexes. A failed index is tried again after growing waits; if it still fails,
# apt goes on with what it has, and failed_indexes names the indexes that did not load.
update_indexes() {
    for wait in 10 30 ""; do
        apt-get update -qq -o Acquire::Retries=3 >"$apt_log" 2>&1 && failed_indexes="" && return
        cat "$apt_log" >&2
        failed_indexes=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$apt_log")
        [ -n "$wait" ] || break
        echo "setup: the package indexes did not all load; trying again in $wait s"
        sleep "$wait"
    done
    echo "setup: going on with the package indexes that loaded"
}

# Runs apt-get install, showing its output as it comes and keeping it in apt_log.
apt_install() {
    { apt-get install -y -qq --no-install-recommends "$@" 2>&1; echo $? >"$apt_log.status"; } |
        tee "$apt_log"
    return "$(cat "$apt_log.status")"
}

# Preferences that give the suites of the failed indexes a low priority, so that 32-bit and 64-bit
# packages both take their versions from the suites whose indexes loaded in full.
pin_away_failed_suites() {
    for url in $failed_indexes; do
        suite=${url#*/dists/}
        echo "${suite%%/*}"
    done | sort -u | while read -r suite; do
        printf 'Package: *\nPin: release n=%s\nPin-Priority: 50\n\n' "$suite"
    done
    if [ -f /etc/apt/preferences ]; then
        cat /etc/apt/preferences
    fi
}

install_packages() {
    export DEBIAN_FRONTEND=noninteractive
    apt_log=$(mktemp)
    failed_indexes=""
    update_indexes
    status=0
    apt_install "$@" || status=$?
    if [ "$status" -ne 0 ] && [ -n "$failed_indexes" ] &&
        grep -q -e 'held broken packages' -e 'generated breaks' -e 'unmet dependencies' "$apt_log"
    then
        # Packages built for both architectures must match exactly, and the failed index left one
        # architecture without the other's newer versions.
        echo "setup: FALLING BACK: 32-bit and 64-bit package versions are out of step, so this one" \
            "install takes its versions from the suites whose indexes loaded in full; the machine's" \
            "apt configuration stays as it was"
        pin_away_failed_suites >"$apt_log.preferences"
        status=0
        apt_install -o Dir::Etc::Preferences="$apt_log.preferences" "$@" || status=$?
    fi
    rm -f "$apt_log" "$apt_log.status" "$apt_log.preferences"
    if [ "$status" -ne 0 ] && [ -n "$failed_indexes" ]; then
        echo "setup: FAILED: the package archive is out of step with itself (not a fault of this" \
            "project): these indexes did not load:" $failed_indexes >&2
        echo "setup: archives and their mirrors sync several times a day; run the same command again" \
            "later, or only the set-up: sh tools/setup.sh" >&2
    fi
    return "$status"
}

# Installs those of the given packages that are not installed yet; with all installed it does
# nothing, not even an index update.
install_missing() {
    # 32-bit Wine comes from Debian's i386 packages.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    if [ -n "$missing" ]; then
        echo "setup: installing$missing"
        # shellcheck disable=SC2086
        install_packages $missing
    fi
}
